#pragma once
#include <cstdio>
#include <string>
#include <string_view>

// Text helpers of the companion programs that print names from their inputs.
namespace orvtools {

// A name as the console shows it: control bytes (below 0x20, 0x7F and 0x80
// to 0x9F) as \xHH, so that a damaged input cannot send control sequences
// to the terminal. Every name a program prints as text goes through here.
inline std::string console_text(std::string_view name) {
    std::string text;
    text.reserve(name.size());
    for (unsigned char c : name) {
        if (c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F)) {
            char escape[5];
            std::snprintf(escape, sizeof escape, "\\x%02X", c);
            text += escape;
        } else {
            text += char(c);
        }
    }
    return text;
}

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

// Reads a whole file, or standard input for "-"; false when it cannot be read.
inline bool read_whole_file(const std::string& path, std::string& text) {
    std::FILE* file = path == "-" ? stdin : std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    text.clear();
    char buffer[65536];
    std::size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, count);
    const bool ok = std::ferror(file) == 0;
    if (file != stdin) std::fclose(file);
    return ok;
}

}  // namespace orvtools
