#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "orvaddr/symbol_file.h"

// Addresses of a program decoded with its symbol file: the unit that holds
// an address, the function (or else the label) at or before it, and its
// source line.
namespace orvaddr {

struct Decoded {
    uint32_t address = 0;
    const SymUnit* unit = nullptr;          // null: no unit holds the address
    const SymFunction* function = nullptr;  // the function that covers it
    const SymLabel* label = nullptr;        // without a function: the label at or before it
    uint32_t name_offset = 0;               // into the function or label
    const SymLine* line = nullptr;          // the last entry of the unit at or before it
    const std::string* source_file = nullptr;
    uint32_t unit_offset = 0;
};

class AddressDecoder {
public:
    explicit AddressDecoder(const SymbolFile& file);

    Decoded decode(uint32_t address) const;

    // The unit that holds `address`, or null.
    const SymUnit* unit_at(uint32_t address) const;

    // A relocatable unit's values count from its start; an absolute unit's
    // are addresses.
    static uint32_t address_of(const SymUnit& unit, uint32_t value) {
        return unit.absolute ? value : unit.start + value;
    }

private:
    struct Placed {
        uint32_t address;
        std::size_t index;
    };
    struct UnitParts {
        std::vector<Placed> functions;  // by start address
        std::vector<Placed> lines;      // by address, then file order
        std::vector<Placed> labels;     // by address, then file order
    };

    const SymbolFile& file_;
    std::vector<std::size_t> by_start_;   // unit indexes by start address
    std::vector<uint32_t> reach_;         // the largest end of the units up to here in by_start_
    std::vector<UnitParts> parts_;        // per unit index
};

// One decoded address as a line: "C007 main+0x7 main.asm:23 MAIN.ROV P+0x7",
// with ?? for what is not known; `with_address` false leaves the address out.
std::string decoded_text(const Decoded& decoded, bool with_address = true);

// One decoded address as a JSON object on one line.
std::string decoded_json(const Decoded& decoded);

// An address as a user writes it: hexadecimal, with or without 0x.
std::optional<uint32_t> parse_address(const std::string& text);

// The text with the decoding appended after every 4- or 5-digit hexadecimal
// word that falls inside a unit (--scan).
std::string scan_text(const AddressDecoder& decoder, const std::string& text);

}  // namespace orvaddr
