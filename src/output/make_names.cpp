#include "output/make_names.h"

namespace orv {
namespace {

bool escaped_by_backslash(char c, MakePlace place) {
    switch (c) {
    case ' ': case '#': case ':': case '*': case '?': case '[':
        return true;
    case '%':
        return place == MakePlace::TARGET;
    default:
        return false;
    }
}

}  // namespace

const char* make_unreadable_reason(std::string_view path) {
    for (char c : path) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte == '\n') return "holds a line feed";
        if (byte == '\t') return "holds a tab";
        if (byte < 0x20) return "holds a control character";
        if (c == ';') return "holds a \";\"";
    }
    const std::size_t open = path.find('(');
    if (open != std::string_view::npos && open > 0 && path.back() == ')') return "has the form LIB(MEMBER) of an archive member";
    if (!path.empty() && path.back() == '\\') return "ends in a backslash";
    return nullptr;
}

std::string make_escaped(std::string_view path, MakePlace place) {
    std::string text;
    text.reserve(path.size() + 8);
    if (!path.empty() && path.front() == '~') text += "./";
    std::size_t backslashes = 0;
    for (char c : path) {
        if (escaped_by_backslash(c, place)) {
            text.append(backslashes + 1, '\\');
        } else if (c == '$') {
            text += '$';
        }
        if (c == '=') {
            text += "$(firstword =)";
        } else {
            text += c;
        }
        backslashes = c == '\\' ? backslashes + 1 : 0;
    }
    return text;
}

}  // namespace orv
