#include "command/file_lists.h"

#include <string>
#include <vector>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "base/text_helpers.h"
#include "command/quoted_words.h"

namespace orv {
namespace {

// A name the linker builds has at most 511 characters.
constexpr std::size_t NAME_LIMIT = 511;

// Splits the field into words and normalises each: upper case (a to z only),
// and the default extension appended unless the word already ends in it.
// A name between double quotes may hold blanks.
std::vector<const char*> file_names(LinkContext& ctx, const char* field, std::string_view extension,
                                    std::string_view field_name) {
    std::vector<const char*> names;
    names.reserve(std::size_t(count_words(field)));
    const char* p = field;
    std::string name;
    while (next_quoted_word(ctx, p, name, field_name)) {
        for (char& c : name) c = to_upper_ascii(c);
        // A word that is the extension alone is too short to carry it.
        bool has_extension = name.size() > extension.size() && name.ends_with(extension);
        if (!has_extension) name += extension;
        if (name.size() > NAME_LIMIT) error_exit(ERR_INVALID_COMMAND);
        names.push_back(ctx.str_save(name));
    }
    return names;
}

}  // namespace

void set_rel_files(LinkContext& ctx, const char* field) {
    if (count_words(field) == 0) error_exit(ERR_NON_RELOCATABLE_NAME);
    ctx.command.rel_file_names = file_names(ctx, field, ".ROV", "relocatable files");
}

void set_lib_files(LinkContext& ctx, const char* field) {
    ctx.command.lib_file_names = file_names(ctx, field, ".LIB", "libraries");
    ctx.command.lib_file_flags.assign(ctx.command.lib_file_names.size(), 0);
}

}  // namespace orv
