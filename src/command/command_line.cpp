#include "command/command_sources.h"

#include <algorithm>

#include "base/diagnostics.h"
#include "base/text_helpers.h"
#include "command/quoted_words.h"

namespace orv {

LinkError too_many_fields(const std::string& given) {
    LinkError error(ERR_INVALID_COMMAND, {});
    error.add_detail(given + ", at most 4 are: relocatable files, libraries, section information, command "
                     "parameters; options within the parameters are separated by blanks, not commas");
    return error;
}

void append_to_field(std::string& field, char c) {
    if (field.size() >= FIELD_CHARS) error_exit(ERR_INVALID_COMMAND);
    field.push_back(c);
}

namespace {

// The fields the arguments give: one more than their commas, less a comma
// that ends the last argument.
std::size_t fields_given(const std::vector<std::string>& args) {
    std::size_t commas = 0;
    for (const std::string& arg : args) commas += std::size_t(std::count(arg.begin(), arg.end(), ','));
    if (!args.empty() && !args.back().empty() && args.back().back() == ',') --commas;
    return commas + 1;
}

int begin_next_field(int index, const std::vector<std::string>& args) {
    if (index + 1 < FIELD_COUNT) return index + 1;
    throw too_many_fields(std::to_string(fields_given(args)) + " fields were given");
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
            index = begin_next_field(index, args);
            if (i == arg.size()) ended_by_comma = true;
        }
        if (last) return index;
        if (!ended_by_comma) append_to_field(fields[index], ' ');
    }
    return index;
}

}  // namespace orv
