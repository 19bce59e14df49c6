#include <cerrno>
#include <cstdlib>
#include <functional>
#include <sstream>
#include <vector>

#include "format/record_tags.h"
#include "orvobj/object_text.h"
#include "orvobj/text_words.h"

namespace orvobj {
namespace {

using namespace orv;  // the record tags and expression codes

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_hex_digit(char c) { return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

// Decimal digits, or hexadecimal ones after 0x: nothing else, so that a
// leading zero never makes a number octal and no sign slips through.
bool is_number_text(const std::string& text, int& base) {
    bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    base = hex ? 16 : 10;
    std::size_t first = hex ? 2 : 0;
    if (text.size() <= first) return false;
    for (std::size_t i = first; i < text.size(); ++i) {
        if (!(hex ? is_hex_digit(text[i]) : is_digit(text[i]))) return false;
    }
    return true;
}

struct Token {
    bool quoted;
    std::string text;
};

// Splits one line into words and quoted names; '#' outside quotes starts a comment.
std::vector<Token> tokenize(const std::string& line, int line_no) {
    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            break;
        } else if (c == '"') {
            std::string text;
            ++i;
            for (;;) {
                if (i >= line.size()) throw TextError(line_no, "unterminated name");
                char d = line[i++];
                if (d == '"') break;
                if (d != '\\') {
                    text += d;
                    continue;
                }
                if (i >= line.size()) throw TextError(line_no, "unterminated name");
                char e = line[i++];
                if (e == 'x' && i + 2 <= line.size() && is_hex_digit(line[i]) && is_hex_digit(line[i + 1])) {
                    long value = std::strtol(line.substr(i, 2).c_str(), nullptr, 16);
                    // The byte 0 ends a name in the object, so it cannot stand inside one.
                    if (value == 0) throw TextError(line_no, "a name cannot hold the byte 0");
                    text += char(value);
                    i += 2;
                } else if (e == '"' || e == '\\') {
                    text += e;
                } else {
                    throw TextError(line_no, "bad escape in name");
                }
            }
            tokens.push_back({true, text});
        } else {
            std::size_t start = i;
            while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' &&
                   line[i] != '"' && line[i] != '#') {
                ++i;
            }
            tokens.push_back({false, line.substr(start, i - start)});
        }
    }
    return tokens;
}

// The tokens of one line, taken from the left.
class Line {
public:
    Line(std::vector<Token> tokens, int line_no) : tokens_(std::move(tokens)), line_no_(line_no) {}

    bool at_end() const { return next_ >= tokens_.size(); }
    const Token& front() const { return tokens_.front(); }
    int number() const { return line_no_; }

    [[noreturn]] void fail(const std::string& message) const { throw TextError(line_no_, message); }

    bool peek(const char* word) const {
        return !at_end() && !tokens_[next_].quoted && tokens_[next_].text == word;
    }

    std::string word(const char* what) {
        if (at_end() || tokens_[next_].quoted) fail(std::string("expected ") + what);
        return tokens_[next_++].text;
    }

    void keyword(const char* expected) {
        if (!peek(expected)) fail(std::string("expected '") + expected + "'");
        ++next_;
    }

    std::string name() {
        if (at_end() || !tokens_[next_].quoted) fail("expected a quoted name");
        return tokens_[next_++].text;
    }

    uint32_t number(const char* what, uint64_t limit) {
        std::string text = word(what);
        int base = 10;
        if (!is_number_text(text, base)) fail(std::string("expected ") + what);
        errno = 0;
        unsigned long long value = std::strtoull(text.c_str(), nullptr, base);
        if (value > limit || errno == ERANGE) fail(std::string(what) + " out of range: " + text);
        return uint32_t(value);
    }

    // A byte of a `bytes` or `data` line: two hexadecimal digits.
    uint8_t hex_byte() {
        std::string text = word("a byte");
        if (text.size() != 2 || !is_hex_digit(text[0]) || !is_hex_digit(text[1])) {
            fail("expected a byte of two hexadecimal digits, not '" + text + "'");
        }
        return uint8_t(std::strtoul(text.c_str(), nullptr, 16));
    }

    void done() const {
        if (!at_end()) fail("unexpected '" + tokens_[next_].text + "'");
    }

private:
    std::vector<Token> tokens_;
    std::size_t next_ = 0;
    int line_no_;
};

constexpr uint64_t MAX1 = 0xFF, MAX2 = 0xFFFF, MAX3 = 0xFFFFFF, MAX4 = 0xFFFFFFFF;

class Builder {
public:
    Bytes run(const std::string& text) {
        std::istringstream lines(text);
        std::string raw_line;
        int line_no = 0;
        while (std::getline(lines, raw_line)) {
            ++line_no;
            Line line(tokenize(raw_line, line_no), line_no);
            if (!line.at_end()) statement(line);
        }
        close_record();
        return out_.bytes();
    }

private:
    using EntryReader = std::function<void(Line&)>;

    void statement(Line& line) {
        if (entry_reader_ && starts_entry(line.front())) {
            entry_reader_(line);
            line.done();
            return;
        }
        close_record();
        record(line.word("a record"), line);
        line.done();
    }

    // Entry lines of the open record start with a number, a name or one of
    // these words; anything else opens the next record.
    static bool starts_entry(const Token& first) {
        if (first.quoted) return true;
        const std::string& word = first.text;
        if (word == "block" || word == "data" || word == "bit" || word == "mask" || word == "file" ||
            word == "line") {
            return true;
        }
        return !word.empty() && word[0] >= '0' && word[0] <= '9';
    }

    void record(const std::string& head, Line& line) {
        if (head == "format") {
            out_.n1(TAG_FORMAT).str(line.name());
        } else if (head == "version") {
            out_.n1(TAG_VERSION).str(line.name());
        } else if (head == "source") {
            out_.n1(TAG_FILE_NAMES).n1(TAG_SOURCE).str(line.name());
        } else if (head == "request-files" || head == "request-libraries") {
            out_.n1(head == "request-files" ? TAG_REQUESTED_FILES : TAG_REQUESTED_LIBS);
            while (!line.at_end()) out_.str(line.name());
            out_.str("");
        } else if (head == "unit") {
            unit(line);
        } else if (head == "labels" || head == "local-labels") {
            out_.n1(head == "labels" ? TAG_LABELS : TAG_LOCAL_LABELS);
            line.keyword("unit");
            out_.n2(line.number("unit number", MAX2));
            open([this](Line& l) { out_.n3(l.number("value", MAX3)).str(l.name()); },
                 [this] { out_.n3(0).str(""); });
        } else if (head == "symbols" || head == "local-symbols") {
            out_.n1(head == "symbols" ? TAG_SYMBOLS : TAG_LOCAL_SYMBOLS);
            open([this](Line& l) { out_.n4(l.number("value", MAX4)).str(l.name()); },
                 [this] { out_.n4(0).str(""); });
        } else if (head == "bit-symbols" || head == "local-bit-symbols") {
            out_.n1(head == "bit-symbols" ? TAG_BITS : TAG_LOCAL_BITS);
            open([this](Line& l) { bit_entry(l); }, [this] { out_.n2(0).n3(0).str(""); });
        } else if (head == "externals") {
            out_.n1(TAG_EXTERNALS);
            open([this](Line& l) { out_.str(l.name()); }, [this] { out_.str(""); });
        } else if (head == "relocation") {
            out_.n1(TAG_RELOCATION);
            line.keyword("unit");
            out_.n2(line.number("unit number", MAX2));
            open([this](Line& l) { relocation_entry(l); }, [this] { out_.n3(0).n1(0); });
        } else if (head == "contents") {
            out_.n1(TAG_CONTENTS);
            line.keyword("unit");
            out_.n2(line.number("unit number", MAX2));
            open([this](Line& l) { contents_entry(l); }, [this] {
                flush_block();
                out_.n4(0);
            });
        } else if (head == "function") {
            out_.n1(TAG_FUNCTION).n2(line.number("function number", MAX2)).str(line.name());
            line.keyword("unit");
            out_.n2(line.number("unit number", MAX2));
            line.keyword("start");
            out_.n3(line.number("start", MAX3));
            line.keyword("end");
            out_.n3(line.number("end", MAX3));
        } else if (head == "calls") {
            out_.n1(TAG_CALLS);
            line.keyword("function");
            out_.n2(line.number("function number", MAX2));
            open([this](Line& l) { out_.n3(l.number("value", MAX3)).n1(l.number("count", MAX1)); },
                 [this] { out_.n3(0).n1(0); });
        } else if (head == "source-lines") {
            out_.n1(TAG_SOURCE_LINES);
            line.keyword("function");
            out_.n2(line.number("function number", MAX2));
            open([this](Line& l) { source_entry(l); }, [this] {
                if (file_open_) out_.n2(0);
                file_open_ = false;
                out_.str("");
            });
        } else if (head == "language") {
            out_.n1(TAG_LANGUAGE).str(line.name());
        } else if (head == "pointer") {
            out_.n1(TAG_POINTER).n1(line.number("pointer length", MAX1));
        } else if (head == "end") {
            out_.n1(TAG_END);
        } else if (head == "bytes") {
            while (!line.at_end()) out_.n1(line.hex_byte());
        } else {
            line.fail("unknown record '" + head + "'");
        }
    }

    void open(EntryReader reader, std::function<void()> closer) {
        entry_reader_ = std::move(reader);
        closer_ = std::move(closer);
    }

    void close_record() {
        if (closer_) closer_();
        entry_reader_ = nullptr;
        closer_ = nullptr;
    }

    void unit(Line& line) {
        out_.n1(TAG_UNIT).n2(line.number("unit number", MAX2)).str(line.name());
        std::string ram = line.word("rom or ram");
        if (ram == "rom") {
            out_.n1(0);
        } else if (ram == "ram") {
            out_.n1(line.at_end() || line.peek("relocatable") || line.peek("absolute") || line.peek("abs")
                        ? 1
                        : line.number("ram byte", MAX1));
        } else {
            line.fail("expected rom or ram");
        }
        std::string abs = line.word("relocatable or absolute");
        if (abs == "relocatable") {
            out_.n1(0);
        } else if (abs == "absolute") {
            out_.n1(1);
        } else if (abs == "abs") {
            out_.n1(line.number("abs byte", MAX1));
        } else {
            line.fail("expected relocatable or absolute");
        }
        line.keyword("address");
        out_.n3(line.number("address", MAX3));
        line.keyword("size");
        out_.n4(line.number("size", MAX4));
    }

    void bit_entry(Line& line) {
        std::string kind = line.word("bit or mask");
        if (kind == "bit") {
            uint32_t number = line.number("bit number", 7);
            out_.n2(1u << number);
        } else if (kind == "mask") {
            out_.n2(line.number("mask", MAX2));
        } else {
            line.fail("expected bit or mask");
        }
        out_.n3(line.number("address", MAX3)).str(line.name());
    }

    void relocation_entry(Line& line) {
        out_.n3(line.number("address", MAX3));
        std::string type = line.word("relocation type");
        if (auto code = code_of(RELOCATION_TYPES, type)) {
            out_.n1(*code);
        } else if (type == "type") {
            out_.n1(line.number("type code", MAX1));
        } else {
            line.fail("unknown relocation type '" + type + "'");
        }
        line.keyword("size");
        uint32_t size = line.number("field size", 256);
        if (size == 0) line.fail("field size must be 1 to 256");
        out_.n1(size - 1);
        line.keyword("=");
        line.keyword("lead");
        term(line);
        line.keyword(";");
        term(line);
        while (!line.at_end()) {
            std::string op = line.word("operator");
            auto code = code_of(OPERATORS, op);
            if (!code) line.fail("unknown operator '" + op + "'");
            out_.n1(*code);
            term(line);
        }
        out_.n1(EXPRESSION_END);
    }

    void term(Line& line) {
        std::string word = line.word("term");
        if (auto prefix = code_of(PREFIXES, word)) {
            out_.n1(*prefix);
            word = line.word("operand");
        }
        if (word == "unit") {
            out_.n1(OPERAND_UNIT).n2(line.number("unit number", MAX2)).n3(line.number("offset", MAX3));
        } else if (word == "name") {
            out_.n1(OPERAND_NAME).str(line.name());
        } else if (word == "const") {
            out_.n1(OPERAND_CONSTANT).n4(line.number("constant", MAX4));
        } else if (word == "section") {
            out_.n1(OPERAND_SECTION_SIZE).str(line.name());
        } else {
            line.fail("unknown operand '" + word + "'");
        }
    }

    void contents_entry(Line& line) {
        std::string word = line.word("block or data");
        if (word == "block") {
            flush_block();
            block_address_ = line.number("block address", MAX3);
            block_open_ = true;
        } else if (word == "data") {
            if (!block_open_) line.fail("data outside a block");
            while (!line.at_end()) block_data_.push_back(line.hex_byte());
        } else {
            line.fail("expected block or data");
        }
    }

    void flush_block() {
        if (!block_open_) return;
        out_.n4(uint32_t(block_data_.size() + BLOCK_ADDRESS_BYTES)).n3(block_address_).raw(block_data_);
        block_data_.clear();
        block_open_ = false;
    }

    void source_entry(Line& line) {
        std::string word = line.word("file or line");
        if (word == "file") {
            if (file_open_) out_.n2(0);
            out_.str(line.name());
            file_open_ = true;
        } else if (word == "line") {
            if (!file_open_) line.fail("line outside a file");
            uint32_t number = line.number("line number", MAX2);
            if (number == 0) line.fail("line number 0 ends a file's lines");
            out_.n2(number).n3(line.number("address", MAX3));
        } else {
            line.fail("expected file or line");
        }
    }

    orvfixture::ByteWriter out_;
    EntryReader entry_reader_;
    std::function<void()> closer_;
    bool block_open_ = false;
    uint32_t block_address_ = 0;
    Bytes block_data_;
    bool file_open_ = false;
};

}  // namespace

Bytes build_object(const std::string& text) { return Builder().run(text); }

}  // namespace orvobj
