#include "command/symbol_definitions.h"

#include <optional>

#include "base/diagnostics.h"
#include "base/link_context.h"

namespace orv {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A name of a --defsym: not empty, not starting with a digit (that would be
// a number), and without the characters that separate the parts.
bool is_definition_name(std::string_view name) {
    if (name.empty() || is_digit(name.front())) return false;
    return name.find_first_of("=+-") == std::string_view::npos;
}

int digit_value(char c, unsigned base) {
    if (is_digit(c)) return c - '0';
    if (base == 16 && c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (base == 16 && c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// A decimal number, or a hexadecimal one after "0x", of at most 32 bits.
std::optional<uint32_t> parse_number(std::string_view text) {
    unsigned base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty()) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        const int digit = digit_value(c, base);
        if (digit < 0) return std::nullopt;
        value = value * base + unsigned(digit);
        if (value > UINT32_MAX) return std::nullopt;
    }
    return uint32_t(value);
}

std::optional<SymbolDefinition> parse_definition(std::string_view value) {
    const std::size_t equals = value.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    SymbolDefinition definition;
    const std::string_view name = value.substr(0, equals);
    const std::string_view body = value.substr(equals + 1);
    if (!is_definition_name(name) || body.empty()) return std::nullopt;
    definition.name = name;
    if (is_digit(body.front())) {
        const std::optional<uint32_t> number = parse_number(body);
        if (!number) return std::nullopt;
        definition.value = *number;
        return definition;
    }
    const std::size_t sign = body.find_first_of("+-");
    const std::string_view target = body.substr(0, sign);
    if (!is_definition_name(target)) return std::nullopt;
    definition.target = target;
    if (sign != std::string_view::npos) {
        const std::optional<uint32_t> offset = parse_number(body.substr(sign + 1));
        if (!offset) return std::nullopt;
        // A negative offset wraps round, as the 32-bit values of expressions do.
        definition.value = body[sign] == '-' ? 0u - *offset : *offset;
    }
    return definition;
}

}  // namespace

void add_symbol_definition(LinkContext& ctx, std::string_view word, std::string_view value) {
    std::optional<SymbolDefinition> definition = parse_definition(value);
    if (!definition) error_exit(ERR_SYMBOL_DEFINITION, word);
    definition->option = word;
    for (SymbolDefinition& earlier : ctx.options.symbol_definitions) {
        if (earlier.name == definition->name) {
            earlier = std::move(*definition);
            return;
        }
    }
    ctx.options.symbol_definitions.push_back(std::move(*definition));
}

}  // namespace orv
