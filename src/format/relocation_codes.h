#pragma once
#include <cstdint>

namespace orv {

// The codes of a relocation entry: its type byte, and the bytes of its
// expression (prefixes, operands, operators and the end byte).

// The use a relocated field makes of its value: the entry's type byte.
enum RelType : uint8_t {
    REL_RELATIVE = 0x04,
    REL_ZERO_PAGE = 0x10,
    REL_ADDRESS = 0x11,
    REL_SPECIAL_PAGE = 0x12,
    REL_BIT_VALUE = 0x13,
    REL_BIT_NUMBER = 0x14,
    REL_BIT_ADDRESS = 0x15,
    REL_VALUE = 0xFF,
};

// Operand codes of a relocation expression, each followed by its value.
enum OperandCode : uint8_t {
    OPERAND_UNIT = 0xF0,          // module-local unit number (2 bytes), offset (3 bytes)
    OPERAND_NAME = 0xF1,          // global name
    OPERAND_CONSTANT = 0xF2,      // 32-bit constant
    OPERAND_SECTION_SIZE = 0xF3,  // section name; only after PREFIX_SIZE
};

// The unary prefix that may stand before an operand.
enum Prefix : uint8_t {
    NO_PREFIX = 0,
    PREFIX_NOT = 0x21,
    PREFIX_PLUS = 0x2B,
    PREFIX_NEGATE = 0x2D,
    PREFIX_COMPLEMENT = 0x7E,
    PREFIX_SIZE = 0x80,   // marks a section-size operand
    PREFIX_BANK = 0x81,   // bits 16 to 23
    PREFIX_LOW16 = 0x82,  // bits 0 to 15
    PREFIX_HIGH = 0x83,   // bits 8 to 15
    PREFIX_LOW = 0x84,    // bits 0 to 7
};

// The binary operators between terms: each is the ASCII character of the
// operation ('<' and '>' are the shifts).
enum OperatorCode : uint8_t {
    OP_ADD = '+',
    OP_SUBTRACT = '-',
    OP_MULTIPLY = '*',
    OP_DIVIDE = '/',
    OP_REMAINDER = '%',
    OP_AND = '&',
    OP_OR = '|',
    OP_XOR = '^',
    OP_SHIFT_LEFT = '<',
    OP_SHIFT_RIGHT = '>',
};

// Ends an expression where the next operator would stand.
constexpr int EXPRESSION_END = 0xFF;

constexpr bool is_prefix(int code) {
    return code == PREFIX_NOT || code == PREFIX_PLUS || code == PREFIX_NEGATE ||
           code == PREFIX_COMPLEMENT || (code >= PREFIX_SIZE && code <= PREFIX_LOW);
}

constexpr bool is_operator(int code) {
    switch (code) {
    case OP_ADD: case OP_SUBTRACT: case OP_MULTIPLY: case OP_DIVIDE: case OP_REMAINDER:
    case OP_AND: case OP_OR: case OP_XOR: case OP_SHIFT_LEFT: case OP_SHIFT_RIGHT:
        return true;
    default:
        return false;
    }
}

constexpr bool is_operand(int code) { return code >= OPERAND_UNIT && code <= OPERAND_SECTION_SIZE; }

// True for the operands whose value is a zero-terminated name.
constexpr bool is_name_operand(int code) { return code == OPERAND_NAME || code == OPERAND_SECTION_SIZE; }

}  // namespace orv
