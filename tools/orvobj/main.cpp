#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/text_helpers.h"
#include "common/tool_console.h"
#include "common/tool_files.h"
#include "orvobj/object_check.h"
#include "orvobj/object_text.h"
#include "platform/program_arguments.h"

namespace {

const char* const USAGE =
    "usage: orvobj dump [--offsets] FILE.ROV      print an object as text\n"
    "       orvobj build FILE.txt -o FILE.ROV     turn the text form back into an object\n"
    "       orvobj check FILE.ROV                 read an object as the linker does; name its first fault\n"
    "       orvobj check FILE.ROV --link FILE...  the same within its link: the other objects and libraries\n"
    "                                             (*.LIB) of the link, whose sections its section sizes name\n"
    "       orvobj --help | --version\n"
    "exit status: 0 done, 1 the input could not be read or has an error, 2 wrong usage\n";

using orvtool::console_text;

// False when the file cannot be read, or is no regular file (a directory, a
// named pipe or a device, which could block or never end).
bool read_whole(const std::string& path, std::string& bytes) { return orvtool::read_input(path, bytes); }

int cannot(const char* what, const std::string& path) {
    std::fprintf(stderr, "orvobj: cannot %s %s\n", what, console_text(path).c_str());
    return 1;
}

int usage_error() {
    std::fputs(USAGE, stderr);
    return 2;
}

int dump(const std::string& path, bool offsets) {
    std::string bytes;
    if (!read_whole(path, bytes)) return cannot("read", path);
    std::fputs(orvobj::dump_object(orvobj::Bytes(bytes.begin(), bytes.end()), offsets).c_str(), stdout);
    return 0;
}

int build(const std::string& path, const std::string& output) {
    std::string text;
    if (!read_whole(path, text)) return cannot("read", path);
    orvobj::Bytes bytes;
    try {
        bytes = orvobj::build_object(text);
    } catch (const orvobj::TextError& error) {
        std::fprintf(stderr, "%s:%d: %s\n", console_text(path).c_str(), error.line(), console_text(error.what()).c_str());
        return 1;
    }
    if (!orvtool::write_output(output, bytes.data(), bytes.size())) return cannot("write", output);
    return 0;
}

bool is_library_name(const std::string& path) {
    if (path.size() < 4) return false;
    std::string extension = path.substr(path.size() - 4);
    for (char& c : extension) c = orv::to_upper_ascii(c);
    return extension == ".LIB";
}

// The files after --link, every one of them readable: libraries by their
// extension, objects otherwise. The checked module itself may stand among
// them (a link's whole list, given for each of its modules) and is left out.
bool link_files(const std::string& path, const std::vector<std::string>& files, orv::LinkFiles& link) {
    link.given = true;
    for (const std::string& file : files) {
        std::string bytes;
        if (!read_whole(file, bytes)) {
            cannot("read", file);
            return false;
        }
        if (orvtool::same_file(file, path)) continue;
        (is_library_name(file) ? link.libraries : link.objects).push_back(file);
    }
    return true;
}

// The linker's own readers judge the object; a fault is named with its file
// offset before a link would stop at it.
int check(const std::string& path, const std::vector<std::string>& others, bool linked) {
    std::string bytes;
    if (!read_whole(path, bytes)) return cannot("read", path);
    orv::LinkFiles link;
    if (linked && !link_files(path, others, link)) return 1;
    orv::ObjectCheck verdict = orv::check_object(path, link);
    if (!verdict.clean) {
        std::fprintf(stderr, "orvobj: %s\n", console_text(verdict.fault).c_str());
        return 1;
    }
    std::printf("%s: no fault found\n", console_text(path).c_str());
    return 0;
}

}  // namespace

int run_orvobj(int argc, char** argv) {
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
    if (argc == 3 && std::strcmp(argv[1], "check") == 0) return check(argv[2], {}, false);
    if (argc >= 5 && std::strcmp(argv[1], "check") == 0 && std::strcmp(argv[3], "--link") == 0) {
        return check(argv[2], std::vector<std::string>(argv + 4, argv + argc), true);
    }
    if (argc == 5 && std::strcmp(argv[1], "build") == 0 && std::strcmp(argv[3], "-o") == 0) {
        return build(argv[2], argv[4]);
    }
    return usage_error();
}

int main(int argc, char** argv) {
    return orvtool::run_tool("orvobj", [&] {
        // In UTF-8 on either host, as the linker takes them.
        std::vector<std::string> args = orv::program_arguments(argc, argv);
        std::vector<char*> words{argc > 0 ? argv[0] : nullptr};
        for (std::string& arg : args) words.push_back(arg.data());
        return run_orvobj(static_cast<int>(words.size()), words.data());
    });
}
