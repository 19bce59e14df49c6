#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/console.h"
#include "orvobj/object_check.h"
#include "orvobj/object_text.h"

namespace {

const char* const USAGE =
    "usage: orvobj dump [--offsets] FILE.ROV      print an object as text\n"
    "       orvobj build FILE.txt -o FILE.ROV     turn the text form back into an object\n"
    "       orvobj check FILE.ROV                 read an object as the linker does; name its first fault\n"
    "       orvobj --help | --version\n"
    "exit status: 0 done, 1 the input could not be read or has an error, 2 wrong usage\n";

// False when the file cannot be opened or read; a directory opens but
// cannot be read.
bool read_whole(const std::string& path, std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    bytes.clear();
    char buffer[65536];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, count);
    bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

int usage_error() {
    std::fputs(USAGE, stderr);
    return 2;
}

int dump(const std::string& path, bool offsets) {
    std::string bytes;
    if (!read_whole(path, bytes)) {
        std::fprintf(stderr, "orvobj: cannot read %s\n", path.c_str());
        return 1;
    }
    std::fputs(orvobj::dump_object(orvobj::Bytes(bytes.begin(), bytes.end()), offsets).c_str(), stdout);
    return 0;
}

int build(const std::string& path, const std::string& output) {
    std::string text;
    if (!read_whole(path, text)) {
        std::fprintf(stderr, "orvobj: cannot read %s\n", path.c_str());
        return 1;
    }
    orvobj::Bytes bytes;
    try {
        bytes = orvobj::build_object(text);
    } catch (const orvobj::TextError& error) {
        std::fprintf(stderr, "%s:%d: %s\n", path.c_str(), error.line(), error.what());
        return 1;
    }
    std::ofstream out(output, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    if (!out) {
        std::fprintf(stderr, "orvobj: cannot write %s\n", output.c_str());
        return 1;
    }
    return 0;
}

// The linker's own readers judge the object; a fault is named with its file
// offset before a link would stop at it.
int check(const std::string& path) {
    std::string bytes;
    if (!read_whole(path, bytes)) {
        std::fprintf(stderr, "orvobj: cannot read %s\n", path.c_str());
        return 1;
    }
    orv::ObjectCheck verdict = orv::check_object(path);
    if (!verdict.clean) {
        std::fprintf(stderr, "orvobj: %s\n", verdict.fault.c_str());
        return 1;
    }
    std::printf("%s: no fault found\n", path.c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // The console text is the same bytes on every host.
    if (!orv::fill_closed_standard_descriptors()) return 2;
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(USAGE, stdout);
        return 0;
    }
    if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
        std::fputs("orvobj " ORV_VERSION_TEXT "\n", stdout);
        return 0;
    }
    if (argc >= 3 && std::strcmp(argv[1], "dump") == 0) {
        bool offsets = argc == 4 && std::strcmp(argv[2], "--offsets") == 0;
        if (argc != (offsets ? 4 : 3)) return usage_error();
        return dump(argv[argc - 1], offsets);
    }
    if (argc == 3 && std::strcmp(argv[1], "check") == 0) return check(argv[2]);
    if (argc == 5 && std::strcmp(argv[1], "build") == 0 && std::strcmp(argv[3], "-o") == 0) {
        return build(argv[2], argv[4]);
    }
    return usage_error();
}
