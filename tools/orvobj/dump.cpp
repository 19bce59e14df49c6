#include <cstdio>

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

// The dump stops understanding the file at this point; the rest becomes bytes.
struct NotARecord {};

std::string hex(uint32_t value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, value);
    return text;
}

class Dumper {
public:
    Dumper(const Bytes& bytes, bool offsets) : bytes_(bytes), offsets_(offsets) {}

    std::string run() {
        try {
            header();
        } catch (const NotARecord&) {
            text_.clear();
            pos_ = 0;
            raw_rest();
            return text_;
        }
        while (pos_ < bytes_.size()) {
            std::size_t record_start = pos_;
            std::size_t text_length = text_.size();
            try {
                record();
            } catch (const NotARecord&) {
                pos_ = record_start;
                text_.resize(text_length);
                raw_rest();
            }
        }
        return text_;
    }

private:
    uint32_t n(int width) {
        uint32_t value = 0;
        for (int i = 0; i < width; ++i) {
            if (pos_ >= bytes_.size()) throw NotARecord{};
            value = value << 8 | bytes_[pos_++];
        }
        return value;
    }

    std::string name() {
        std::string text;
        for (;;) {
            if (pos_ >= bytes_.size()) throw NotARecord{};
            uint8_t byte = bytes_[pos_++];
            if (byte == 0) return text;
            text += char(byte);
        }
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
        expect(0xF0);
        line("format " + quote(name()), 0);
        std::size_t at = pos_;
        expect(0xF1);
        line("version " + quote(name()), at);
        at = pos_;
        expect(0xF2);
        expect(0xF0);
        line("source " + quote(name()), at);
        expect(0xF1);
        line("request-files" + name_list(), at);
        expect(0xF2);
        line("request-libraries" + name_list(), at);
    }

    std::string name_list() {
        std::string text;
        for (std::string entry_name = name(); !entry_name.empty(); entry_name = name()) {
            // Appended piece by piece: GCC 12 at -O3 takes `" " + quote(...)`
            // for an overlapping copy (a false -Wrestrict).
            text += ' ';
            text += quote(entry_name);
        }
        return text;
    }

    void record() {
        std::size_t at = pos_;
        uint8_t tag = uint8_t(n(1));
        switch (tag) {
        case 0xF3: unit(at); break;
        case 0xF4: labels("labels", at); break;
        case 0xF5: symbols("symbols", at); break;
        case 0xE0: bit_symbols("bit-symbols", at); break;
        case 0xF6: externals(at); break;
        case 0xF7: relocation(at); break;
        case 0xF8: contents(at); break;
        case 0xF9: labels("local-labels", at); break;
        case 0xFA: symbols("local-symbols", at); break;
        case 0xE1: bit_symbols("local-bit-symbols", at); break;
        case 0xE2: function(at); break;
        case 0xE3: calls(at); break;
        case 0xE4: source_lines(at); break;
        case 0xE5: line("language " + quote(name()), at); break;
        case 0xE6: line("pointer " + std::to_string(n(1)), at); break;
        case 0xFF: line("end", at); break;
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
        for (;;) {
            uint32_t value = n(3);
            std::string label = name();
            if (value == 0 && label.empty()) return;
            entry(hex(value, 4) + " " + quote(label));
        }
    }

    void symbols(const char* word, std::size_t at) {
        line(word, at);
        for (;;) {
            uint32_t value = n(4);
            std::string symbol = name();
            if (value == 0 && symbol.empty()) return;
            entry(hex(value, 8) + " " + quote(symbol));
        }
    }

    void bit_symbols(const char* word, std::size_t at) {
        line(word, at);
        for (;;) {
            uint32_t mask = n(2);
            uint32_t address = n(3);
            std::string bit = name();
            if (mask == 0 && address == 0 && bit.empty()) return;
            entry(mask_text(mask) + " " + hex(address, 4) + " " + quote(bit));
        }
    }

    static std::string mask_text(uint32_t mask) {
        for (int number = 0; number < 8; ++number) {
            if (mask == 1u << number) return "bit " + std::to_string(number);
        }
        return "mask " + hex(mask, 4);
    }

    void externals(std::size_t at) {
        line("externals", at);
        for (std::string external = name(); !external.empty(); external = name()) entry(quote(external));
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
            for (uint32_t op = n(1); op != 0xFF; op = n(1)) {
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
        case 0xF0: {
            uint32_t unit_no = n(2);
            return text + "unit " + std::to_string(unit_no) + " " + hex(n(3), 4);
        }
        case 0xF1: return text + "name " + quote(name());
        case 0xF2: return text + "const " + hex(n(4), 8);
        case 0xF3: return text + "section " + quote(name());
        default: throw NotARecord{};
        }
    }

    void contents(std::size_t at) {
        line("contents unit " + std::to_string(n(2)), at);
        for (uint32_t length = n(4); length != 0; length = n(4)) {
            if (length < 3 || length - 3 > bytes_.size() - pos_) throw NotARecord{};
            entry("block " + hex(n(3), 4));
            data_lines("data", length - 3);
        }
    }

    void data_lines(const char* word, uint32_t count) {
        while (count > 0) {
            std::string text = word;
            for (int i = 0; i < 16 && count > 0; ++i, --count) {
                char byte[4];
                std::snprintf(byte, sizeof byte, " %02X", bytes_[pos_++]);
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
        while (pos_ < bytes_.size()) {
            std::string text = "bytes";
            std::size_t line_start = pos_;
            for (int i = 0; i < 16 && pos_ < bytes_.size(); ++i) {
                char byte[4];
                std::snprintf(byte, sizeof byte, " %02X", bytes_[pos_++]);
                text += byte;
            }
            line(text, line_start);
        }
    }

    const Bytes& bytes_;
    bool offsets_;
    std::size_t pos_ = 0;
    std::string text_;
};

}  // namespace

std::string dump_object(const Bytes& bytes, bool offsets) {
    return Dumper(bytes, offsets).run();
}

}  // namespace orvobj
