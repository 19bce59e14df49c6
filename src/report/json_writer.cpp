#include "report/json_writer.h"

#include <array>
#include <charconv>
#include <cstdio>

namespace orv {
namespace {

// Bytes that a JSON string cannot hold as they are (see append_string).
constexpr std::array<bool, 256> NEEDS_ESCAPE = [] {
    std::array<bool, 256> table{};
    for (int byte = 0; byte < 256; ++byte) table[byte] = byte < 0x20 || byte >= 0x7F || byte == '"' || byte == '\\';
    return table;
}();

}  // namespace

void JsonWriter::element_start() {
    if (file_ != nullptr && text_.size() >= SPILL_SIZE) {
        file_->write(text_);
        text_.clear();
    }
    if (after_key_) {
        after_key_ = false;
        return;
    }
    if (levels_.empty()) return;
    Level& level = levels_.back();
    if (!level.empty) text_ += ',';
    if (!level.one_line) {
        text_ += '\n';
        text_.append(2 * levels_.size(), ' ');
    }
    level.empty = false;
}

bool JsonWriter::level_is_one_line() const { return !levels_.empty() && levels_.back().one_line; }

void JsonWriter::open(char bracket, bool one_line) {
    element_start();
    text_ += bracket;
    // Inside a one-line container everything stays on its line.
    bool inherited = !levels_.empty() && levels_.back().one_line;
    levels_.push_back(Level{one_line || inherited, true});
}

void JsonWriter::close(char bracket) {
    Level level = levels_.back();
    levels_.pop_back();
    if (!level.one_line && !level.empty) {
        text_ += '\n';
        text_.append(2 * levels_.size(), ' ');
    }
    text_ += bracket;
    if (levels_.empty()) text_ += '\n';
}

void JsonWriter::key(std::string_view name) {
    // Member names are the report's own plain words.
    element_start();
    text_.append(1, '"');
    text_.append(name);
    text_ += level_is_one_line() ? "\":" : "\": ";
    after_key_ = true;
}

void JsonWriter::append_string(std::string_view text) {
    text_ += '"';
    bool plain = true;
    for (char c : text) plain &= !NEEDS_ESCAPE[static_cast<unsigned char>(c)];
    if (plain) {
        text_.append(text);
        text_.append(1, '"');
        return;
    }
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '"': text_ += "\\\""; break;
        case '\\': text_ += "\\\\"; break;
        case '\n': text_ += "\\n"; break;
        case '\r': text_ += "\\r"; break;
        case '\t': text_ += "\\t"; break;
        default:
            // Control characters and bytes outside ASCII (names are bytes of
            // no known encoding) are escaped so the text stays valid UTF-8.
            if (byte < 0x20 || byte >= 0x7F) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04X", unsigned(byte));
                text_ += escaped;
            } else {
                text_ += c;
            }
        }
    }
    text_ += '"';
}

void JsonWriter::value(std::string_view text) {
    element_start();
    append_string(text);
}

void JsonWriter::value(const char* text) {
    if (text == nullptr) {
        null();
    } else {
        value(std::string_view(text));
    }
}

void JsonWriter::value(int64_t number) {
    element_start();
    char digits[24];
    text_.append(digits, std::to_chars(digits, digits + sizeof digits, number).ptr);
}

void JsonWriter::value(bool flag) {
    element_start();
    text_ += flag ? "true" : "false";
}

void JsonWriter::null() {
    element_start();
    text_ += "null";
}

}  // namespace orv
