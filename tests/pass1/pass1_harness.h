#pragma once
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "driver/diagnostics.h"
#include "driver/link_context.h"
#include "fixture/object_writer.h"
#include "support/run_linker.h"

namespace orv::test {

// A memory stream standing in for one console stream.
class CapturedStream {
public:
    CapturedStream() { file_ = open_memstream(&buffer_, &size_); }
    ~CapturedStream() {
        std::fclose(file_);
        std::free(buffer_);
    }
    CapturedStream(const CapturedStream&) = delete;
    CapturedStream& operator=(const CapturedStream&) = delete;

    std::FILE* file() const { return file_; }
    std::string text() {
        std::fflush(file_);
        return std::string(buffer_, size_);
    }

private:
    std::FILE* file_ = nullptr;
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
};

// A link context of its own, run in-process in a fresh directory that is the
// current directory while the harness lives (requested files are opened by
// bare names).
class Pass1Harness {
public:
    Pass1Harness() : ctx(Console{stdin, out.file(), err.file()}) {
        saved_dir_ = std::filesystem::current_path();
        std::filesystem::current_path(dir.path());
    }
    ~Pass1Harness() { std::filesystem::current_path(saved_dir_); }

    void write(const std::string& name, const orvfixture::ByteWriter& file) const {
        dir.write(name, file.bytes());
    }

    // The lists that command input would have parsed.
    void list(const std::vector<std::string>& rel_files, const std::vector<std::string>& libraries = {}) {
        for (const std::string& name : rel_files) ctx.command.rel_file_names.push_back(ctx.str_save(name));
        for (const std::string& name : libraries) {
            ctx.command.lib_file_names.push_back(ctx.str_save(name));
            ctx.command.lib_file_flags.push_back(0);
        }
    }

    // Runs a step as the driver would: a fatal error is reported and gives
    // the exit status; a step that returns gives 0.
    int run(const std::function<void()>& step) {
        try {
            step();
            return 0;
        } catch (const LinkError& error) {
            return report_fatal(ctx.console, error);
        }
    }

    int run_pass1() {
        return run([this] { pass1(ctx); });
    }

    // Reads one module file on its own, as the pass-1 driver does.
    int read_module(const std::string& name) {
        return run([&] {
            auto file = BinaryInput::open(name);
            if (!file) throw std::runtime_error("missing test file " + name);
            ctx.reader.current_file = ctx.str_save(name);
            ctx.reader.unit_base = ctx.sections.unit_count;
            red_r_module(ctx, *file);
            offset_after = file->tell();
        });
    }

    std::string out_text() { return out.text(); }
    std::string err_text() { return err.text(); }

    TempDir dir;
    CapturedStream out;
    CapturedStream err;
    LinkContext ctx;
    long offset_after = -1;  // file position after read_module

private:
    std::filesystem::path saved_dir_;
};

inline std::string internal_error_line(const std::string& point) {
    return "ERROR NO.6: Internal error at POINT " + point + "\n";
}

}  // namespace orv::test
