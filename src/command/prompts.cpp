#include <cstring>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "command/command_sources.h"
#include "platform/text_input.h"

namespace orv {
namespace {

const char* const PROMPT[FIELD_COUNT] = {
    "Relocatable files (.ROV) >> ",
    "Libraries         (.LIB) >> ",
    "Section information      >> ",
    "Command parameter        >> ",
};

// An answer is read into a buffer of 8192 bytes: at most 8191 characters,
// the line feed included. A longer line leaves its rest for the next answer.
constexpr std::size_t ANSWER_LIMIT = FIELD_CHARS - 1;

void read_answer(TextInput& input, std::string& field) {
    while (field.size() < ANSWER_LIMIT) {
        int c = input.get();
        if (c == TextInput::END) return;
        field.push_back(char(c));
        if (c == '\n') return;
    }
}

}  // namespace

void prompt_missing_fields(LinkContext& ctx, int last_supplied) {
    TextInput input(ctx.console.in);
    for (int i = last_supplied + 1; i < FIELD_COUNT; ++i) {
        std::fputs(PROMPT[i], ctx.console.err);
        std::fflush(ctx.console.err);
        read_answer(input, ctx.command.command_field[i]);
    }
    // Only a whole line is an answer: one cut short by the buffer or by the
    // end of input is refused, once every prompt has been answered. The field
    // is text, so a NUL byte ends it before any line end after it.
    for (int i = last_supplied + 1; i < FIELD_COUNT; ++i) {
        std::string& field = ctx.command.command_field[i];
        const char* line_end = std::strchr(field.c_str(), '\n');
        if (line_end == nullptr) {
            LinkError error(ERR_INVALID_COMMAND, {});
            error.add_detail("the answer to prompt " + std::to_string(i + 1) + " has no line end: " +
                             (field.size() >= ANSWER_LIMIT ? "it is longer than 8190 characters"
                                                               : "the input ended before it"));
            throw error;
        }
        field.resize(std::size_t(line_end - field.c_str()));
    }
}

}  // namespace orv
