#include "command/command_sources.h"

#include "base/diagnostics.h"
#include "base/text_helpers.h"
#include "command/quoted_words.h"

namespace orv {

void append_to_field(std::string& field, char c) {
    if (field.size() >= FIELD_CHARS) error_exit(ERR_INVALID_COMMAND);
    field.push_back(c);
}

namespace {

int begin_next_field(int index) {
    if (index + 1 >= FIELD_COUNT) error_exit(ERR_INVALID_COMMAND);
    return index + 1;
}

}  // namespace

int split_arguments(std::string (&fields)[FIELD_COUNT], const std::vector<std::string>& args) {
    int index = 0;
    QuoteTracker quotes;
    for (std::size_t a = 0; a < args.size(); ++a) {
        const std::string& arg = args[a];
        const bool last = a + 1 == args.size();
        // A comma that ends its argument hands the next field the whole next
        // argument, with no joining blank in front.
        bool ended_by_comma = false;
        std::size_t i = 0;
        while (i < arg.size()) {
            quotes.see(arg[i]);
            if (arg[i] != ',' || quotes.open()) {
                append_to_field(fields[index], arg[i++]);
                continue;
            }
            ++i;
            while (i < arg.size() && is_field_space(arg[i])) ++i;
            // A comma at the very end of the command supplies no further field.
            if (i == arg.size() && last) return index;
            index = begin_next_field(index);
            if (i == arg.size()) ended_by_comma = true;
        }
        if (last) return index;
        if (!ended_by_comma) append_to_field(fields[index], ' ');
    }
    return index;
}

}  // namespace orv
