#include "orvaddr/address_decoder.h"

#include <algorithm>
#include <cctype>
#include <unordered_map>

#include "common/tool_text.h"

namespace orvaddr {
namespace {

using orvtool::console_text;
using orvtool::json_string;

// The last entry at or before `address`, or null.
template <typename T>
const T* last_at_or_before(const std::vector<T>& sorted, uint32_t address) {
    auto after = std::upper_bound(sorted.begin(), sorted.end(), address,
                                  [](uint32_t a, const T& entry) { return a < entry.address; });
    return after == sorted.begin() ? nullptr : &*(after - 1);
}

std::string hex(uint32_t value, int digits = 0) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*lX", digits, static_cast<unsigned long>(value));
    return text;
}

std::string module_text(const SymUnit& unit) {
    return unit.member.empty() ? unit.file : unit.file + "(" + unit.member + ")";
}

}  // namespace

AddressDecoder::AddressDecoder(const SymbolFile& file) : file_(file), parts_(file.units.size()) {
    std::unordered_map<uint32_t, std::size_t> unit_index;
    for (std::size_t i = 0; i < file.units.size(); ++i) {
        unit_index.emplace(file.units[i].number, i);
        if (file.units[i].size != 0) by_start_.push_back(i);
    }
    std::stable_sort(by_start_.begin(), by_start_.end(),
                     [&file](std::size_t a, std::size_t b) { return file.units[a].start < file.units[b].start; });
    uint32_t reach = 0;
    for (std::size_t i : by_start_) {
        reach = std::max(reach, file.units[i].start + file.units[i].size);
        reach_.push_back(reach);
    }
    std::unordered_map<uint32_t, std::size_t> function_unit;  // function number -> unit index
    for (std::size_t i = 0; i < file.functions.size(); ++i) {
        const SymFunction& function = file.functions[i];
        auto unit = unit_index.find(function.unit);
        if (unit == unit_index.end()) continue;
        function_unit.emplace(function.number, unit->second);
        parts_[unit->second].functions.push_back({address_of(file.units[unit->second], function.start), i});
    }
    for (std::size_t i = 0; i < file.lines.size(); ++i) {
        auto unit = function_unit.find(file.lines[i].function);
        if (unit == function_unit.end()) continue;
        parts_[unit->second].lines.push_back({address_of(file.units[unit->second], file.lines[i].address), i});
    }
    for (std::size_t i = 0; i < file.labels.size(); ++i) {
        const SymLabel& label = file.labels[i];
        if (label.global) {
            if (const SymUnit* unit = unit_at(label.value)) {
                parts_[std::size_t(unit - file.units.data())].labels.push_back({label.value, i});
            }
        } else if (auto unit = unit_index.find(label.unit); unit != unit_index.end()) {
            parts_[unit->second].labels.push_back({address_of(file.units[unit->second], label.value), i});
        }
    }
    auto by_address = [](const Placed& a, const Placed& b) { return a.address < b.address; };
    for (UnitParts& parts : parts_) {
        std::stable_sort(parts.functions.begin(), parts.functions.end(), by_address);
        std::stable_sort(parts.lines.begin(), parts.lines.end(), by_address);
        std::stable_sort(parts.labels.begin(), parts.labels.end(), by_address);
    }
}

const SymUnit* AddressDecoder::unit_at(uint32_t address) const {
    // Units may overlap: look back from the last unit starting at or before
    // the address while an earlier one can still reach it.
    auto after = std::upper_bound(by_start_.begin(), by_start_.end(), address,
                                  [this](uint32_t a, std::size_t i) { return a < file_.units[i].start; });
    for (std::size_t k = std::size_t(after - by_start_.begin()); k-- > 0 && reach_[k] > address;) {
        const SymUnit& unit = file_.units[by_start_[k]];
        if (address - unit.start < unit.size) return &unit;
    }
    return nullptr;
}

Decoded AddressDecoder::decode(uint32_t address) const {
    Decoded decoded;
    decoded.address = address;
    decoded.unit = unit_at(address);
    if (decoded.unit == nullptr) return decoded;
    decoded.unit_offset = address - decoded.unit->start;
    const UnitParts& parts = parts_[std::size_t(decoded.unit - file_.units.data())];
    // Of the functions starting at or before the address, the nearest that reaches it.
    auto after = std::upper_bound(parts.functions.begin(), parts.functions.end(), address,
                                  [](uint32_t a, const Placed& entry) { return a < entry.address; });
    for (auto at = after; at != parts.functions.begin();) {
        --at;
        const SymFunction& function = file_.functions[at->index];
        if (address - at->address <= function.end - function.start) {
            decoded.function = &function;
            decoded.name_offset = address - at->address;
            break;
        }
    }
    if (decoded.function == nullptr) {
        if (const Placed* label = last_at_or_before(parts.labels, address)) {
            decoded.label = &file_.labels[label->index];
            decoded.name_offset = address - label->address;
        }
    }
    if (const Placed* line = last_at_or_before(parts.lines, address)) {
        decoded.line = &file_.lines[line->index];
        decoded.source_file = &file_.source_files[decoded.line->file];
    }
    return decoded;
}

std::string decoded_text(const Decoded& decoded, bool with_address) {
    std::string text = with_address ? hex(decoded.address, 4) + " " : "";
    const std::string* name = decoded.function != nullptr ? &decoded.function->name
                              : decoded.label != nullptr  ? &decoded.label->name
                                                          : nullptr;
    text += name != nullptr ? console_text(*name) + "+0x" + hex(decoded.name_offset) : "??";
    text += " ";
    text += decoded.line != nullptr ? console_text(*decoded.source_file) + ":" + std::to_string(decoded.line->line)
                                    : "??";
    if (decoded.unit == nullptr) return text + " ?? ??";
    return text + " " + console_text(module_text(*decoded.unit)) + " " + console_text(decoded.unit->section) +
           "+0x" + hex(decoded.unit_offset);
}

std::string decoded_json(const Decoded& decoded) {
    auto text_or_null = [](const std::string* text) { return text != nullptr ? json_string(*text) : "null"; };
    auto number_or_null = [](bool known, uint32_t value) { return known ? std::to_string(value) : "null"; };
    const SymUnit* unit = decoded.unit;
    const bool named = decoded.function != nullptr || decoded.label != nullptr;
    std::string json = "{\"address\":" + std::to_string(decoded.address);
    json += ",\"function\":" + text_or_null(decoded.function != nullptr ? &decoded.function->name : nullptr);
    json += ",\"label\":" + text_or_null(decoded.label != nullptr ? &decoded.label->name : nullptr);
    json += ",\"offset\":" + number_or_null(named, decoded.name_offset);
    json += ",\"source_file\":" + text_or_null(decoded.source_file);
    json += ",\"line\":" + number_or_null(decoded.line != nullptr, decoded.line != nullptr ? decoded.line->line : 0);
    json += ",\"file\":" + text_or_null(unit != nullptr ? &unit->file : nullptr);
    json += ",\"library_module\":" +
            text_or_null(unit != nullptr && !unit->member.empty() ? &unit->member : nullptr);
    json += ",\"section\":" + text_or_null(unit != nullptr ? &unit->section : nullptr);
    json += ",\"unit\":" + number_or_null(unit != nullptr, unit != nullptr ? unit->number : 0);
    json += ",\"unit_offset\":" + number_or_null(unit != nullptr, decoded.unit_offset) + "}";
    return json;
}

std::optional<uint32_t> parse_address(const std::string& text) {
    std::string_view digits = text;
    if (digits.size() > 2 && digits[0] == '0' && (digits[1] == 'x' || digits[1] == 'X')) digits.remove_prefix(2);
    if (digits.empty() || digits.size() > 8) return std::nullopt;
    uint32_t value = 0;
    for (char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) return std::nullopt;
        value = value * 16 + uint32_t(std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : (c | 0x20) - 'a' + 10);
    }
    return value;
}

std::string scan_text(const AddressDecoder& decoder, const std::string& text) {
    auto word_char = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    std::string out;
    out.reserve(text.size());
    std::size_t at = 0;
    while (at < text.size()) {
        if (!word_char(text[at])) {
            out += text[at++];
            continue;
        }
        std::size_t end = at;
        while (end < text.size() && word_char(text[end])) ++end;
        const std::string word = text.substr(at, end - at);
        out += word;
        // A word of 4 or 5 hexadecimal digits, or the same behind 0x.
        const std::size_t digits = word.size() > 2 && word[0] == '0' && (word[1] | 0x20) == 'x' ? word.size() - 2
                                                                                                 : word.size();
        if (digits == 4 || digits == 5) {
            if (std::optional<uint32_t> address = parse_address(word); address && decoder.unit_at(*address)) {
                out += " [" + decoded_text(decoder.decode(*address), false) + "]";
            }
        }
        at = end;
    }
    return out;
}

}  // namespace orvaddr
