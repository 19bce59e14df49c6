#include "orvaddr/symbol_file.h"

#include <charconv>
#include <tuple>

namespace orvaddr {
namespace {

// The kinds of line group, named by their header line.
enum class Group { NONE, LOCAL_LABEL, LOCAL_SYMBOL, LOCAL_BIT, FUNC, CALL, SOURCE, LANGUAGE, POINTER, SECTIONS,
                   GLOBAL_LABEL, GLOBAL_SYMBOL, GLOBAL_BIT };

std::vector<std::string_view> words_of(std::string_view text) {
    std::vector<std::string_view> words;
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && text[at] == ' ') ++at;
        std::size_t end = at;
        while (end < text.size() && text[end] != ' ') ++end;
        if (end > at) words.push_back(text.substr(at, end - at));
        at = end;
    }
    return words;
}

bool parse_number(std::string_view text, int base, uint32_t& value) {
    if (text.empty()) return false;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    return error == std::errc() && end == text.data() + text.size();
}

class Reader {
public:
    explicit Reader(std::string_view text) : text_(text) {}

    SymbolFile run() {
        // The file ends with the byte 1A after its last text.
        std::size_t end = text_.find('\x1A');
        if (end == std::string_view::npos) fail("the file does not end with the byte 1A");
        std::string_view rest = text_.substr(0, end);
        while (!rest.empty()) {
            std::size_t cut = rest.find('\n');
            std::string_view line = rest.substr(0, cut);
            rest = cut == std::string_view::npos ? std::string_view() : rest.substr(cut + 1);
            ++line_no_;
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            if (line.rfind("# ", 0) == 0) {
                header(line.substr(2));
            } else if (!line.empty()) {
                entries(line);
            }
        }
        if (!seen_sections_) fail("no section information: not a symbol file");
        return std::move(file_);
    }

private:
    [[noreturn]] void fail(const std::string& what) const { throw SymbolFileError(line_no_, what); }

    uint32_t hex(std::string_view text) const {
        uint32_t value = 0;
        if (!parse_number(text, 16, value)) fail("not a hexadecimal number: " + std::string(text));
        return value;
    }

    // "A-B", two hexadecimal numbers.
    std::pair<uint32_t, uint32_t> range(std::string_view text) const {
        std::size_t dash = text.find('-');
        if (dash == std::string_view::npos) fail("not a range: " + std::string(text));
        return {hex(text.substr(0, dash)), hex(text.substr(dash + 1))};
    }

    static std::string joined(const std::vector<std::string_view>& words, std::size_t from, std::size_t to) {
        std::string text;
        for (std::size_t i = from; i < to; ++i) text += (i > from ? " " : "") + std::string(words[i]);
        return text;
    }

    void header(std::string_view line) {
        const std::vector<std::string_view> words = words_of(line);
        auto starts = [&line](std::string_view kind) {
            return line.rfind(kind, 0) == 0 && (line.size() == kind.size() || line[kind.size()] == ' ');
        };
        if (starts("LOCAL LABEL")) {
            if (words.size() != 3) fail("a LOCAL LABEL header names one unit");
            group_ = Group::LOCAL_LABEL;
            unit_ = hex(words[2]);
        } else if (starts("LOCAL SYMBOL")) {
            group_ = Group::LOCAL_SYMBOL;
        } else if (starts("LOCAL BIT SYMBOL")) {
            group_ = Group::LOCAL_BIT;
        } else if (starts("FUNC")) {
            // FUNC number name unit start-end; the name may hold blanks.
            if (words.size() < 5) fail("a FUNC line gives number, name, unit and range");
            SymFunction function;
            function.number = hex(words[1]);
            function.name = joined(words, 2, words.size() - 2);
            function.unit = hex(words[words.size() - 2]);
            std::tie(function.start, function.end) = range(words.back());
            file_.functions.push_back(std::move(function));
            group_ = Group::FUNC;
        } else if (starts("CALL")) {
            group_ = Group::CALL;
        } else if (starts("SOURCE")) {
            if (words.size() < 3) fail("a SOURCE header gives a function and a file");
            function_ = hex(words[1]);
            const std::size_t name_at = std::size_t(words[1].data() - line.data()) + words[1].size() + 1;
            file_.source_files.emplace_back(line.substr(name_at));
            group_ = Group::SOURCE;
        } else if (starts("LANGUAGE")) {
            group_ = Group::LANGUAGE;
        } else if (starts("POINTER")) {
            group_ = Group::POINTER;
        } else if (line == "SECTION INFORMATION") {
            group_ = Group::SECTIONS;
            seen_sections_ = true;
        } else if (line == "GLOBAL LABEL") {
            group_ = Group::GLOBAL_LABEL;
        } else if (line == "GLOBAL SYMBOL") {
            group_ = Group::GLOBAL_SYMBOL;
        } else if (line == "GLOBAL BIT SYMBOL") {
            group_ = Group::GLOBAL_BIT;
        } else {
            fail("unknown header: # " + std::string(line));
        }
    }

    // Entries stand eight to a line, each followed by two blanks.
    void entries(std::string_view line) {
        if (group_ == Group::SECTIONS) return unit_line(line);
        while (!line.empty()) {
            std::size_t cut = line.find("  ");
            std::string_view entry = line.substr(0, cut);
            line = cut == std::string_view::npos ? std::string_view() : line.substr(cut + 2);
            if (!entry.empty()) one_entry(words_of(entry));
        }
    }

    void one_entry(const std::vector<std::string_view>& words) {
        switch (group_) {
        case Group::LOCAL_LABEL:
        case Group::GLOBAL_LABEL: {
            if (words.size() < 2) fail("a label entry gives a name and a value");
            SymLabel label;
            label.name = joined(words, 0, words.size() - 1);
            label.value = hex(words.back());
            label.global = group_ == Group::GLOBAL_LABEL;
            label.unit = unit_;
            file_.labels.push_back(std::move(label));
            break;
        }
        case Group::SOURCE: {
            if (words.size() != 2) fail("a source-line entry gives a line and an address");
            SymLine line;
            line.function = function_;
            line.file = file_.source_files.size() - 1;
            if (!parse_number(words[0], 10, line.line)) fail("not a line number: " + std::string(words[0]));
            line.address = hex(words[1]);
            file_.lines.push_back(line);
            break;
        }
        case Group::LOCAL_SYMBOL:
        case Group::LOCAL_BIT:
        case Group::CALL:
        case Group::GLOBAL_SYMBOL:
        case Group::GLOBAL_BIT:
            break;  // no addresses of code
        default:
            fail("an entry outside any group");
        }
    }

    // "0002 P                 MAIN.ROV          REL   ROM   C00A   0018   main.asm",
    // and "                  (PRINT)" under a library module's unit.
    void unit_line(std::string_view line) {
        const std::vector<std::string_view> words = words_of(line);
        if (line.rfind("                  (", 0) == 0 && words.size() == 1 && line.back() == ')') {
            if (file_.units.empty()) fail("a library module's name before any unit");
            file_.units.back().member = std::string(words[0].substr(1, words[0].size() - 2));
            return;
        }
        // The fields after the file name are fixed: find them from the left.
        auto fixed_fields_at = [&words](std::size_t at) {
            return (words[at] == "REL" || words[at] == "ABS") && (words[at + 1] == "ROM" || words[at + 1] == "RAM");
        };
        std::size_t kind_at = 3;
        while (kind_at + 3 < words.size() && !fixed_fields_at(kind_at)) ++kind_at;
        if (kind_at + 3 >= words.size()) {
            fail("a unit line gives number, section, file, REL or ABS, ROM or RAM, start, size and source");
        }
        SymUnit unit;
        unit.number = hex(words[0]);
        unit.section = std::string(words[1]);
        unit.file = joined(words, 2, kind_at);
        unit.absolute = words[kind_at] == "ABS";
        unit.ram = words[kind_at + 1] == "RAM";
        unit.start = hex(words[kind_at + 2]);
        unit.size = hex(words[kind_at + 3]);
        const char* size_end = words[kind_at + 3].data() + words[kind_at + 3].size();
        std::string_view source = line.substr(std::size_t(size_end - line.data()));
        while (!source.empty() && source.front() == ' ') source.remove_prefix(1);
        unit.source = std::string(source);
        file_.units.push_back(std::move(unit));
    }

    std::string_view text_;
    std::size_t line_no_ = 0;
    Group group_ = Group::NONE;
    uint32_t unit_ = 0;
    uint32_t function_ = 0;
    bool seen_sections_ = false;
    SymbolFile file_;
};

}  // namespace

SymbolFile read_symbol_file(std::string_view text) { return Reader(text).run(); }

}  // namespace orvaddr
