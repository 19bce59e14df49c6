#include "platform/console_text.h"

namespace orv {
namespace {

bool is_control(unsigned char c) { return c < 0x20 || c == 0x7F || (c >= 0x80 && c <= 0x9F); }

// The length of the valid UTF-8 sequence at `text`'s start, or 0.
std::size_t utf8_length(std::string_view text) {
    const unsigned char lead = static_cast<unsigned char>(text[0]);
    std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 && lead <= 0xDF ? 2 : 0;
    if (length == 0 || length > text.size()) return 0;
    for (std::size_t i = 1; i < length; ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return 0;
    }
    return length;
}

}  // namespace

ConsoleRun next_console_run(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c < 0x80) {
            if (is_control(c)) return {i, 1};
            ++i;
            continue;
        }
        const std::size_t length = utf8_length(text.substr(i));
        if (length == 0) {
            // Not UTF-8: a lone byte, shown unless it is a C1 control.
            if (is_control(c)) return {i, 1};
            ++i;
        } else if (length == 2 && c == 0xC2 && static_cast<unsigned char>(text[i + 1]) <= 0x9F) {
            return {i, 2};  // U+0080-U+009F, a C1 control in UTF-8
        } else {
            i += length;
        }
    }
    return {i, 0};
}

void write_console_escapes(std::string_view text, char* out) {
    static const char DIGITS[] = "0123456789ABCDEF";
    for (char ch : text) {
        const unsigned char c = static_cast<unsigned char>(ch);
        *out++ = '\\';
        *out++ = 'x';
        *out++ = DIGITS[c >> 4];
        *out++ = DIGITS[c & 0xF];
    }
}

void append_console_text(std::string& out, std::string_view text) {
    for_console_text(text, [&](const char* bytes, std::size_t length) { out.append(bytes, length); });
}

std::string console_text(std::string_view text) {
    std::string out;
    append_console_text(out, text);
    return out;
}

std::size_t console_text_width(std::string_view text) {
    std::size_t width = 0;
    while (!text.empty()) {
        const ConsoleRun run = next_console_run(text);
        width += run.plain + 4 * run.escaped;
        text.remove_prefix(run.plain + run.escaped);
    }
    return width;
}

}  // namespace orv
