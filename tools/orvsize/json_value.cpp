#include "orvsize/json_value.h"

#include <cstdlib>

namespace orvsize {
namespace {

// Nesting deeper than this is no link report; it would only exhaust the stack.
constexpr int DEPTH_LIMIT = 64;

class Parser {
public:
    Parser(std::string_view text, const std::vector<std::string_view>* wanted, JsonElementSink* elements)
        : text_(text), wanted_(wanted), elements_(elements) {}

    JsonValue document() {
        JsonValue value = parse_value(0);
        skip_blanks();
        if (at_ != text_.size()) fail("text after the document");
        return value;
    }

private:
    [[noreturn]] void fail(const std::string& what) const {
        throw JsonError("offset " + std::to_string(at_) + ": " + what);
    }

    // A fault in the byte just read.
    [[noreturn]] void fail_before(const std::string& what) {
        --at_;
        fail(what);
    }

    void skip_blanks() {
        while (at_ < text_.size()) {
            const char c = text_[at_];
            if (c != ' ' && c != '\n' && c != '\r' && c != '\t') break;
            ++at_;
        }
    }

    bool take(char c) {
        skip_blanks();
        if (at_ < text_.size() && text_[at_] == c) {
            ++at_;
            return true;
        }
        return false;
    }

    void expect(char c) {
        if (!take(c)) fail(std::string("expected ") + c);
    }

    bool take_word(std::string_view word) {
        if (text_.substr(at_, word.size()) != word) return false;
        at_ += word.size();
        return true;
    }

    JsonValue parse_value(int depth) {
        JsonValue value;
        parse_into(value, depth);
        return value;
    }

    // Parses a value into `value`, reusing what it holds: the elements of a
    // big array are read one after another into the same value, without
    // allocating anew for each.
    void parse_into(JsonValue& value, int depth) {
        if (depth > DEPTH_LIMIT) fail("nested too deeply");
        skip_blanks();
        if (at_ >= text_.size()) fail("the text ends where a value should be");
        const char c = text_[at_];
        value.kind = JsonValue::Kind::NUL;
        std::size_t kept = 0;  // members or items read
        if (c == '{') {
            ++at_;
            value.kind = JsonValue::Kind::OBJECT;
            if (!take('}')) {
                do {
                    skip_blanks();
                    if (kept == value.names.size()) {
                        value.names.emplace_back();
                        value.values.emplace_back();
                    }
                    std::string& name = value.names[kept];
                    parse_string_into(name);
                    expect(':');
                    if (depth == 0 && wanted_ != nullptr && !is_wanted(name)) {
                        skip_value(depth + 1);
                        continue;
                    }
                    if (depth == 0) member_ = name;
                    parse_into(value.values[kept], depth + 1);
                    ++kept;
                } while (take(','));
                expect('}');
            }
        } else if (c == '[') {
            ++at_;
            value.kind = JsonValue::Kind::ARRAY;
            if (!take(']')) {
                do {
                    if (depth == 1 && elements_ != nullptr) {
                        parse_into(element_, depth + 1);
                        elements_->element(member_, element_);
                    } else {
                        if (kept == value.items.size()) value.items.emplace_back();
                        parse_into(value.items[kept++], depth + 1);
                    }
                } while (take(','));
                expect(']');
            }
        } else if (c == '"') {
            value.kind = JsonValue::Kind::STRING;
            parse_string_into(value.text);
        } else if (take_word("true") || take_word("false")) {
            value.kind = JsonValue::Kind::BOOL;
            value.flag = c == 't';
        } else if (take_word("null")) {
        } else {
            value.kind = JsonValue::Kind::NUMBER;
            value.number = parse_number();
        }
        // What an earlier value held beyond this one's members or items goes.
        if (value.kind == JsonValue::Kind::OBJECT) {
            value.names.resize(kept);
            value.values.resize(kept);
        } else {
            value.names.clear();
            value.values.clear();
        }
        if (value.kind == JsonValue::Kind::ARRAY) {
            value.items.resize(kept);
        } else {
            value.items.clear();
        }
    }

    bool is_wanted(std::string_view name) const {
        for (std::string_view wanted : *wanted_) {
            if (wanted == name) return true;
        }
        return false;
    }

    // Checks one value as parse_value does, keeping nothing.
    void skip_value(int depth) {
        if (depth > DEPTH_LIMIT) fail("nested too deeply");
        skip_blanks();
        if (at_ >= text_.size()) fail("the text ends where a value should be");
        const char c = text_[at_];
        if (c == '{') {
            ++at_;
            if (take('}')) return;
            do {
                skip_blanks();
                skip_string();
                expect(':');
                skip_value(depth + 1);
            } while (take(','));
            expect('}');
        } else if (c == '[') {
            ++at_;
            if (take(']')) return;
            do {
                skip_value(depth + 1);
            } while (take(','));
            expect(']');
        } else if (c == '"') {
            skip_string();
        } else if (!take_word("true") && !take_word("false") && !take_word("null")) {
            parse_number();
        }
    }

    // A string passed over: its escapes are checked, not decoded.
    void skip_string() {
        if (at_ >= text_.size() || text_[at_] != '"') fail("expected a string");
        ++at_;
        for (;;) {
            if (at_ >= text_.size()) fail("the text ends inside a string");
            const char c = text_[at_++];
            if (c == '"') return;
            if (static_cast<unsigned char>(c) < 0x20) fail_before("a control byte inside a string");
            if (c != '\\') continue;
            if (at_ >= text_.size()) fail("the text ends inside a string");
            const char e = text_[at_++];
            if (e == 'u') {
                hex4();
            } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos) {
                fail_before("an unknown escape in a string");
            }
        }
    }

    double parse_number() {
        const std::size_t start = at_;
        if (at_ < text_.size() && text_[at_] == '-') ++at_;
        auto digits = [this] {
            const std::size_t from = at_;
            while (at_ < text_.size() && text_[at_] >= '0' && text_[at_] <= '9') ++at_;
            return at_ > from;
        };
        if (!digits()) fail("not a value");
        const bool integer = at_ >= text_.size() || (text_[at_] != '.' && text_[at_] != 'e' && text_[at_] != 'E');
        if (integer && at_ - start <= 15) {
            // The report's numbers are integers: read them without strtod.
            double value = 0;
            for (std::size_t i = text_[start] == '-' ? start + 1 : start; i < at_; ++i) {
                value = value * 10 + (text_[i] - '0');
            }
            return text_[start] == '-' ? -value : value;
        }
        if (at_ < text_.size() && text_[at_] == '.') {
            ++at_;
            if (!digits()) fail("a number's fraction has no digits");
        }
        if (at_ < text_.size() && (text_[at_] == 'e' || text_[at_] == 'E')) {
            ++at_;
            if (at_ < text_.size() && (text_[at_] == '+' || text_[at_] == '-')) ++at_;
            if (!digits()) fail("a number's exponent has no digits");
        }
        return std::strtod(std::string(text_.substr(start, at_ - start)).c_str(), nullptr);
    }

    unsigned hex4() {
        if (text_.size() - at_ < 4) fail("a \\u escape needs four hexadecimal digits");
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const char c = text_[at_++];
            value <<= 4;
            if (c >= '0' && c <= '9') value |= unsigned(c - '0');
            else if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') value |= unsigned((c | 0x20) - 'a' + 10);
            else fail("a \\u escape needs four hexadecimal digits");
        }
        return value;
    }

    // The link report writes names' bytes above 0x7E as \u00XX of the byte:
    // they are read back as those bytes.
    void parse_string_into(std::string& out) {
        if (at_ >= text_.size() || text_[at_] != '"') fail("expected a string");
        ++at_;
        out.clear();
        for (;;) {
            // A run of plain characters goes in at once.
            std::size_t plain = at_;
            while (plain < text_.size() && text_[plain] != '"' && text_[plain] != '\\' &&
                   static_cast<unsigned char>(text_[plain]) >= 0x20) {
                ++plain;
            }
            out.append(text_, at_, plain - at_);
            at_ = plain;
            if (at_ >= text_.size()) fail("the text ends inside a string");
            const char c = text_[at_++];
            if (c == '"') return;
            if (static_cast<unsigned char>(c) < 0x20) fail_before("a control byte inside a string");
            if (c != '\\') {
                out += c;
                continue;
            }
            if (at_ >= text_.size()) fail("the text ends inside a string");
            const char e = text_[at_++];
            switch (e) {
            case '"': case '\\': case '/': out += e; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'u': {
                const unsigned code = hex4();
                if (code < 0x100) {
                    out += char(code);
                } else {
                    // Other characters as UTF-8 (surrogates stay as they are written).
                    if (code < 0x800) {
                        out += char(0xC0 | (code >> 6));
                    } else {
                        out += char(0xE0 | (code >> 12));
                        out += char(0x80 | ((code >> 6) & 0x3F));
                    }
                    out += char(0x80 | (code & 0x3F));
                }
                break;
            }
            default:
                fail_before("an unknown escape in a string");
            }
        }
    }

    std::string_view text_;
    const std::vector<std::string_view>* wanted_;
    JsonElementSink* elements_;
    std::string member_;  // the top-level member being read
    JsonValue element_;   // the element of a top-level array being read
    std::size_t at_ = 0;
};

}  // namespace

const JsonValue* JsonValue::find(std::string_view name) const {
    if (kind != Kind::OBJECT) return nullptr;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) return &values[i];
    }
    return nullptr;
}

JsonValue parse_json(std::string_view text, const std::vector<std::string_view>* wanted, JsonElementSink* elements) {
    return Parser(text, wanted, elements).document();
}

}  // namespace orvsize
