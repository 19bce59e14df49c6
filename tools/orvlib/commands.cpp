#include <cstdio>
#include <map>

#include "common/tool_console.h"
#include "common/tool_files.h"
#include "orvlib/librarian.h"

namespace orvlib {
namespace {

const char* const USAGE =
    "usage: orvlib create OUT.LIB A.ROV [B.ROV ...]   build a library; each module is named\n"
    "                                                 after its file (a.rov gives A)\n"
    "       orvlib list LIB                           list the modules: image size, units,\n"
    "                                                 public names, external references\n"
    "       orvlib extract LIB MODULE [-o OUT.ROV] [--force]\n"
    "                                                 write a module's image back out (to\n"
    "                                                 MODULE.ROV unless -o is given; an\n"
    "                                                 existing MODULE.ROV only with --force)\n"
    "       orvlib --help | --version\n"
    "exit status: 0 done, 1 an input could not be read or is damaged, or an output could\n"
    "not be written, 2 wrong usage\n";

constexpr int DONE = 0, FAILED = orvtool::FAILED, USAGE_ERROR = 2;

using orvtool::console_text;

// Reads a whole regular file; false when it cannot be read (a directory, a
// named pipe or a device too).
bool read_file(const std::string& path, Bytes& bytes) {
    std::string text;
    if (!orvtool::read_input(path, text)) return false;
    bytes.assign(text.begin(), text.end());
    return true;
}

// Whole or not at all: a failed write leaves the file that was there.
bool write_file(const std::string& path, const Bytes& bytes) {
    return orvtool::write_output(path, bytes.data(), bytes.size());
}

class Commands {
public:
    Commands(std::FILE* out, std::FILE* err) : out_(out), err_(err) {}

    int usage_error() {
        std::fputs(USAGE, err_);
        return USAGE_ERROR;
    }

    int help() {
        std::fputs(USAGE, out_);
        return DONE;
    }

    int version() {
        std::fputs("orvlib " ORV_VERSION_TEXT "\n", out_);
        return DONE;
    }

    int create(const std::string& output, const std::vector<std::string>& inputs) {
        // A target that is one of the inputs, or an existing file that is no
        // library (the arguments swapped), is not replaced.
        for (const std::string& path : inputs) {
            if (orvtool::same_file(output, path)) {
                std::fprintf(err_, "orvlib: %s is also an input\n", console_text(output).c_str());
                return FAILED;
            }
        }
        if (orvtool::file_exists(output)) {
            Bytes existing;
            if (!read_file(output, existing)) return cannot("read", output);
            try {
                read_library_file(existing);
            } catch (const FormatError&) {
                std::fprintf(err_, "orvlib: %s exists and is not a library; not replaced\n",
                             console_text(output).c_str());
                return FAILED;
            }
        }
        std::vector<ModuleInput> modules;
        std::map<std::string, std::string> file_of_name;
        for (const std::string& path : inputs) {
            ModuleInput module{module_name_for(path), {}};
            if (!read_file(path, module.image)) return cannot("read", path);
            try {
                check_object(module.image);
            } catch (const FormatError& error) {
                return damaged(path + ": not a relocatable object", error);
            }
            auto [earlier, fresh] = file_of_name.emplace(module.name, path);
            if (!fresh) {
                std::fprintf(err_, "orvlib: %s and %s both give the module name %s\n",
                             console_text(earlier->second).c_str(), console_text(path).c_str(),
                             console_text(module.name).c_str());
                return FAILED;
            }
            modules.push_back(std::move(module));
        }
        Bytes library = create_library(modules);
        // The new library is read back as `list` would read it before it is
        // written; it cannot fail unless the writer itself is at fault.
        LibraryFile written;
        try {
            written = read_library_file(library);
        } catch (const FormatError& error) {
            return damaged(output + " as built", error);
        }
        if (!write_file(output, library)) return cannot("write", output);
        // Such a module is stored, but no search ever takes it in.
        for (const ModuleEntry& module : written.modules) {
            if (module.publics.empty()) {
                std::fprintf(err_, "orvlib: warning: module %s defines no public name, so the linker never takes it in\n",
                             console_text(module.name).c_str());
            }
        }
        return DONE;
    }

    int list(const std::string& path) {
        Bytes bytes;
        LibraryFile library;
        if (int status = read_library(path, bytes, library); status != DONE) return status;
        std::fputs(list_library(path, library).c_str(), out_);
        return DONE;
    }

    int extract(const std::string& path, const std::string& name, const std::string* output, bool force) {
        Bytes bytes;
        LibraryFile library;
        if (int status = read_library(path, bytes, library); status != DONE) return status;
        const ModuleEntry* module = find_module(library, name);
        if (module == nullptr) {
            std::fprintf(err_, "orvlib: %s has no module %s\n", console_text(path).c_str(), console_text(name).c_str());
            return FAILED;
        }
        // The default name comes from the library: it must stay a plain name
        // in the current directory, and replaces no file unasked.
        if (output == nullptr) {
            if (const char* reason = unsafe_file_name(module->name)) {
                std::fprintf(err_, "orvlib: module name %s %s; name the output with -o\n",
                             console_text(module->name).c_str(), reason);
                return FAILED;
            }
        }
        std::string target = output != nullptr ? *output : module->name + ".ROV";
        if (output == nullptr && !force && orvtool::file_exists(target)) {
            std::fprintf(err_, "orvlib: %s exists; give --force to replace it\n", console_text(target).c_str());
            return FAILED;
        }
        if (!write_file(target, module_image(bytes, *module))) return cannot("write", target);
        return DONE;
    }

private:
    int read_library(const std::string& path, Bytes& bytes, LibraryFile& library) {
        if (!read_file(path, bytes)) return cannot("read", path);
        try {
            library = read_library_file(bytes);
        } catch (const FormatError& error) {
            return damaged(path, error);
        }
        return DONE;
    }

    int cannot(const char* what, const std::string& path) {
        std::fprintf(err_, "orvlib: cannot %s %s\n", what, console_text(path).c_str());
        return FAILED;
    }

    int damaged(const std::string& where, const FormatError& error) {
        std::fprintf(err_, "orvlib: %s: at offset 0x%04lX: %s\n", console_text(where).c_str(),
                     (unsigned long)error.offset(), console_text(error.what()).c_str());
        return FAILED;
    }

    std::FILE* out_;
    std::FILE* err_;
};

}  // namespace

int run_orvlib(const std::vector<std::string>& args, std::FILE* out, std::FILE* err) {
    Commands commands(out, err);
    std::size_t count = args.size();
    if (count == 1 && args[0] == "--help") return commands.help();
    if (count == 1 && args[0] == "--version") return commands.version();
    if (count >= 3 && args[0] == "create") {
        return commands.create(args[1], std::vector<std::string>(args.begin() + 2, args.end()));
    }
    if (count == 2 && args[0] == "list") return commands.list(args[1]);
    if (args.size() >= 3 && args[0] == "extract") {
        const bool force = args.back() == "--force";
        const std::size_t given = force ? count - 1 : count;
        if (given == 3) return commands.extract(args[1], args[2], nullptr, force);
        if (given == 5 && args[3] == "-o") return commands.extract(args[1], args[2], &args[4], force);
    }
    return commands.usage_error();
}

}  // namespace orvlib
