#include "command/command_sources.h"

#include "base/diagnostics.h"
#include "base/text_helpers.h"
#include "command/quoted_words.h"
#include "platform/text_input.h"

namespace orv {

int read_command_file(std::string (&fields)[FIELD_COUNT], std::string_view name) {
    return read_command_file(fields, TextInput::open(name), name);
}

int read_command_file(std::string (&fields)[FIELD_COUNT], std::unique_ptr<TextInput> file,
                      std::string_view name) {
    if (file == nullptr) error_exit(ERR_FILE_NOT_FOUND, name);

    int index = 0;
    QuoteTracker quotes;
    int c = file->get();
    while (c != TextInput::END) {
        quotes.see(char(c));
        if (c == ',' && !quotes.open()) {
            // Line ends and blanks after a comma belong to no field; a file
            // that ends here supplies no further field.
            do {
                c = file->get();
            } while (c != TextInput::END && is_field_space(char(c)));
            if (c == TextInput::END) break;
            if (index + 1 >= FIELD_COUNT) throw too_many_fields("the command file gives more than 4 fields");
            ++index;
            continue;  // the first character of the new field, by the same rules
        }
        // Line structure has no meaning: a line end separates words like a blank.
        append_to_field(fields[index], c == '\n' ? ' ' : char(c));
        c = file->get();
    }
    return index;
}

}  // namespace orv
