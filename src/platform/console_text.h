#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace orv {

// Text from a file (a name, a word of a record) as every console output of
// the linker and the tools shows it: a byte the terminal would take as a
// control (C0, DEL, and the C1 range 0x80-0x9F, raw or as the UTF-8 of
// U+0080-U+009F) is written \xHH, so that no file can send the terminal an
// escape sequence. Other UTF-8 and other bytes stay as they are.

// The length of the run at the start of `text` that is shown as it is, and
// how many bytes after it are escaped (0 at the end of the text).
struct ConsoleRun {
    std::size_t plain;
    std::size_t escaped;
};
ConsoleRun next_console_run(std::string_view text);

// Writes the bytes of `text` as \xHH escapes into `out`, four characters
// each; `out` has room for 4 * text.size().
void write_console_escapes(std::string_view text, char* out);

// Hands `text` as shown to `add(const char* bytes, std::size_t length)`, in
// pieces: the runs shown as they are, and the escapes between them.
template <typename Add>
void for_console_text(std::string_view text, Add&& add) {
    while (!text.empty()) {
        const ConsoleRun run = next_console_run(text);
        add(text.data(), run.plain);
        char escapes[8];
        write_console_escapes(text.substr(run.plain, run.escaped), escapes);
        add(static_cast<const char*>(escapes), 4 * run.escaped);
        text.remove_prefix(run.plain + run.escaped);
    }
}

// Appends `text` as shown to `out`.
void append_console_text(std::string& out, std::string_view text);

// `text` as shown.
std::string console_text(std::string_view text);

// The columns `text` takes once shown (an escape takes four).
std::size_t console_text_width(std::string_view text);

}  // namespace orv
