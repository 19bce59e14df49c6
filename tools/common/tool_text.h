#pragma once
#include <cstdio>
#include <string>
#include <string_view>

#include "common/tool_files.h"
#include "platform/console_text.h"

// Text helpers of the companion programs that print names from their inputs.
namespace orvtool {

// A name as the console shows it: the linker's own escaping of control
// bytes, so that a damaged input cannot send control sequences to the
// terminal. Every name a program prints as text goes through here.
using orv::console_text;

// A JSON string literal of a name: bytes outside printable ASCII as \u00XX
// of their byte value, as the link report writes them.
inline std::string json_string(std::string_view name) {
    std::string text = "\"";
    for (unsigned char c : name) {
        if (c == '"' || c == '\\') {
            text += '\\';
            text += char(c);
        } else if (c < 0x20 || c >= 0x7F) {
            char escape[7];
            std::snprintf(escape, sizeof escape, "\\u%04X", c);
            text += escape;
        } else {
            text += char(c);
        }
    }
    return text + "\"";
}

// Reads a whole file, or standard input for "-"; false when it cannot be
// read, or is not a regular file (a named pipe or a device could block, or
// never end).
inline bool read_whole_file(const std::string& path, std::string& text) {
    if (path != "-") return read_input(path, text);
    text.clear();
    char buffer[65536];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, stdin)) > 0) text.append(buffer, count);
    return std::ferror(stdin) == 0;
}

}  // namespace orvtool
