#include <cstdio>

#include "format/image_cursor.h"
#include "format/record_tags.h"
#include "format/record_walk.h"
#include "orvobj/object_text.h"
#include "orvobj/text_words.h"

namespace orvobj {

std::string quote(std::string_view name) {
    std::string text = "\"";
    for (char c : name) {
        auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            text += '\\';
            text += c;
        } else if (byte >= 0x20 && byte < 0x7F) {
            text += c;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        }
    }
    return text + "\"";
}

namespace {

using namespace orv;  // the record tags, expression codes, cursor and list readers

// The dump stops understanding the file at this point; the rest becomes bytes.
struct NotARecord {};

std::string hex(uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

class Dumper {
public:
    Dumper(const Bytes& bytes, bool offsets)
        : in_(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size())), offsets_(offsets) {}

    std::string run() {
        try {
            header();
        } catch (const NotARecord&) {
            text_.clear();
            in_.seek(0);
            raw_rest();
            return text_;
        }
        while (pos() < in_.size()) {
            std::size_t record_start = pos();
            std::size_t text_length = text_.size();
            try {
                record();
            } catch (const NotARecord&) {
                in_.seek(long(record_start));
                text_.resize(text_length);
                raw_rest();
            }
        }
        return text_;
    }

private:
    std::size_t pos() const { return std::size_t(in_.tell()); }

    uint32_t n(int width) {
        uint32_t value = 0;
        if (!in_.number(width, value)) throw NotARecord{};
        return value;
    }

    std::string name() {
        std::string_view text;
        if (!in_.name(text)) throw NotARecord{};
        return std::string(text);
    }

    // True for an entry of a list, false for its closing entry.
    static bool listed(ListStep step) {
        if (step == ListStep::IMAGE_ENDED) throw NotARecord{};
        return step == ListStep::ENTRY;
    }

    void expect(uint8_t tag) {
        if (n(1) != tag) throw NotARecord{};
    }

    void line(const std::string& text, std::size_t offset) {
        text_ += text;
        if (offsets_) text_ += "  # offset " + hex(uint32_t(offset), 6);
        text_ += "\n";
    }

    void entry(const std::string& text) { text_ += "    " + text + "\n"; }

    void header() {
        expect(TAG_FORMAT);
        line("format " + quote(name()), 0);
        std::size_t at = pos();
        expect(TAG_VERSION);
        line("version " + quote(name()), at);
        at = pos();
        expect(TAG_FILE_NAMES);
        expect(TAG_SOURCE);
        line("source " + quote(name()), at);
        at = pos();
        expect(TAG_REQUESTED_FILES);
        line("request-files" + name_list(), at);
        at = pos();
        expect(TAG_REQUESTED_LIBS);
        line("request-libraries" + name_list(), at);
    }

    std::string name_list() {
        std::string text;
        std::string_view entry_name;
        while (listed(read_listed_name(in_, entry_name))) {
            // Appended piece by piece: GCC 12 at -O3 takes `" " + quote(...)`
            // for an overlapping copy (a false -Wrestrict).
            text += ' ';
            text += quote(entry_name);
        }
        return text;
    }

    void record() {
        std::size_t at = pos();
        uint8_t tag = uint8_t(n(1));
        switch (tag) {
        case TAG_UNIT: unit(at); break;
        case TAG_LABELS: labels("labels", at); break;
        case TAG_SYMBOLS: symbols("symbols", at); break;
        case TAG_BITS: bit_symbols("bit-symbols", at); break;
        case TAG_EXTERNALS: externals(at); break;
        case TAG_RELOCATION: relocation(at); break;
        case TAG_CONTENTS: contents(at); break;
        case TAG_LOCAL_LABELS: labels("local-labels", at); break;
        case TAG_LOCAL_SYMBOLS: symbols("local-symbols", at); break;
        case TAG_LOCAL_BITS: bit_symbols("local-bit-symbols", at); break;
        case TAG_FUNCTION: function(at); break;
        case TAG_CALLS: calls(at); break;
        case TAG_SOURCE_LINES: source_lines(at); break;
        case TAG_LANGUAGE: line("language " + quote(name()), at); break;
        case TAG_POINTER: line("pointer " + std::to_string(n(1)), at); break;
        case TAG_END: line("end", at); break;
        default: throw NotARecord{};
        }
    }

    void unit(std::size_t at) {
        uint32_t number = n(2);
        std::string section = name();
        uint32_t ram = n(1);
        uint32_t abs = n(1);
        uint32_t address = n(3);
        uint32_t size = n(4);
        std::string ram_word = ram == 0 ? "rom" : ram == 1 ? "ram" : "ram " + hex(ram, 2);
        std::string abs_word = abs == 0 ? "relocatable" : abs == 1 ? "absolute" : "abs " + hex(abs, 2);
        line("unit " + std::to_string(number) + " " + quote(section) + " " + ram_word + " " + abs_word +
                 " address " + hex(address, 4) + " size " + hex(size, 4),
             at);
    }

    void labels(const char* word, std::size_t at) {
        line(std::string(word) + " unit " + std::to_string(n(2)), at);
        uint32_t value = 0;
        std::string_view label;
        while (listed(read_named_value(in_, 3, value, label))) entry(hex(value, 4) + " " + quote(label));
    }

    void symbols(const char* word, std::size_t at) {
        line(word, at);
        uint32_t value = 0;
        std::string_view symbol;
        while (listed(read_named_value(in_, 4, value, symbol))) entry(hex(value, 8) + " " + quote(symbol));
    }

    void bit_symbols(const char* word, std::size_t at) {
        line(word, at);
        uint32_t mask = 0, address = 0;
        std::string_view bit;
        while (listed(read_bit_entry(in_, mask, address, bit))) {
            entry(mask_text(mask) + " " + hex(address, 4) + " " + quote(bit));
        }
    }

    static std::string mask_text(uint32_t mask) {
        int number = bit_number_of_mask(mask);
        return number >= 0 ? "bit " + std::to_string(number) : "mask " + hex(mask, 4);
    }

    void externals(std::size_t at) {
        line("externals", at);
        std::string_view external;
        while (listed(read_listed_name(in_, external))) entry(quote(external));
    }

    void relocation(std::size_t at) {
        line("relocation unit " + std::to_string(n(2)), at);
        for (;;) {
            uint32_t address = n(3);
            uint32_t type = n(1);
            if (address == 0 && type == 0) return;
            const char* type_word = word_of(RELOCATION_TYPES, uint8_t(type));
            std::string text = hex(address, 4) + " " + (type_word ? type_word : "type " + hex(type, 2));
            uint32_t size = n(1) + 1;
            text += " size " + std::to_string(size);
            text += " = lead " + term();
            text += " ; " + term();
            for (uint32_t op = n(1); op != EXPRESSION_END; op = n(1)) {
                const char* op_word = word_of(OPERATORS, uint8_t(op));
                if (op_word == nullptr) throw NotARecord{};
                text += std::string(" ") + op_word + " " + term();
            }
            entry(text);
        }
    }

    std::string term() {
        uint8_t code = uint8_t(n(1));
        std::string text;
        if (const char* prefix = word_of(PREFIXES, code)) {
            text = std::string(prefix) + " ";
            code = uint8_t(n(1));
        }
        switch (code) {
        case OPERAND_UNIT: {
            uint32_t unit_no = n(2);
            return text + "unit " + std::to_string(unit_no) + " " + hex(n(3), 4);
        }
        case OPERAND_NAME: return text + "name " + quote(name());
        case OPERAND_CONSTANT: return text + "const " + hex(n(4), 8);
        case OPERAND_SECTION_SIZE: return text + "section " + quote(name());
        default: throw NotARecord{};
        }
    }

    void contents(std::size_t at) {
        line("contents unit " + std::to_string(n(2)), at);
        for (uint32_t length = n(4); length != 0; length = n(4)) {
            if (length < BLOCK_ADDRESS_BYTES || length - BLOCK_ADDRESS_BYTES > in_.size() - pos()) {
                throw NotARecord{};
            }
            entry("block " + hex(n(3), 4));
            data_lines("data", length - BLOCK_ADDRESS_BYTES);
        }
    }

    void data_lines(const char* word, uint32_t count) {
        while (count > 0) {
            std::string text = word;
            for (int i = 0; i < 16 && count > 0; ++i, --count) {
                char byte[4];
                std::snprintf(byte, sizeof byte, " %02X", unsigned(in_.get()));
                text += byte;
            }
            entry(text);
        }
    }

    void function(std::size_t at) {
        uint32_t number = n(2);
        std::string function_name = name();
        uint32_t unit_no = n(2);
        uint32_t start = n(3);
        uint32_t end = n(3);
        line("function " + std::to_string(number) + " " + quote(function_name) + " unit " +
                 std::to_string(unit_no) + " start " + hex(start, 4) + " end " + hex(end, 4),
             at);
    }

    void calls(std::size_t at) {
        line("calls function " + std::to_string(n(2)), at);
        for (;;) {
            uint32_t value = n(3);
            uint32_t count = n(1);
            if (value == 0 && count == 0) return;
            entry(hex(value, 4) + " " + std::to_string(count));
        }
    }

    void source_lines(std::size_t at) {
        line("source-lines function " + std::to_string(n(2)), at);
        for (std::string file = name(); !file.empty(); file = name()) {
            entry("file " + quote(file));
            for (uint32_t number = n(2); number != 0; number = n(2)) {
                entry("line " + std::to_string(number) + " " + hex(n(3), 4));
            }
        }
    }

    void raw_rest() {
        while (pos() < in_.size()) {
            std::string text = "bytes";
            std::size_t line_start = pos();
            for (int i = 0; i < 16 && pos() < in_.size(); ++i) {
                char byte[4];
                std::snprintf(byte, sizeof byte, " %02X", unsigned(in_.get()));
                text += byte;
            }
            line(text, line_start);
        }
    }

    ImageCursor in_;
    bool offsets_;
    std::string text_;
};

}  // namespace

std::string dump_object(const Bytes& bytes, bool offsets) {
    return Dumper(bytes, offsets).run();
}

}  // namespace orvobj
