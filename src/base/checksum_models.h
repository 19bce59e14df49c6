#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orv {

// How a checksum over a range of the image is computed. A CRC is described
// by the usual parameters: the register width, the polynomial without its
// top bit, the register's initial value, whether input bytes enter and the
// final register leaves bit-reversed, and a value XORed into the result. A
// sum adds the bytes modulo 2^width, and its negated form stores the two's
// complement, so that the bytes and the stored value add up to 0.
struct ChecksumModel {
    enum class Kind { CRC, SUM };
    Kind kind = Kind::CRC;
    int width = 0;  // bits: 8 to 32
    uint32_t poly = 0;
    uint32_t init = 0;
    bool refin = false;
    bool refout = false;
    uint32_t xorout = 0;
    bool negate = false;  // sums only

    // Bytes the value takes in the image: the width rounded up to bytes.
    int value_bytes() const { return (width + 7) / 8; }
    uint32_t mask() const { return width >= 32 ? 0xFFFFFFFFu : (uint32_t(1) << width) - 1u; }
};

// The model of a catalogue name ("crc16-xmodem", "sum8-neg", ...), in any
// case; none for a name not in the catalogue.
std::optional<ChecksumModel> find_checksum_model(std::string_view name);

// The names of the catalogue, one per line, as --help and the messages show them.
std::string checksum_model_names();

// A model given by its parameters, "crc:WIDTH:POLY:INIT:REFIN:REFOUT:XOROUT":
// WIDTH decimal from 8 to 32, POLY, INIT and XOROUT hexadecimal (with or
// without "0x") within WIDTH bits, REFIN and REFOUT "true" or "false". On a
// bad text, none, and `reason` says what is wrong.
std::optional<ChecksumModel> parse_crc_parameters(std::string_view text, std::string& reason);

// Computes a model's value over bytes given in one or more pieces.
class ChecksumEngine {
public:
    explicit ChecksumEngine(const ChecksumModel& model);
    void add(const uint8_t* bytes, std::size_t count);
    uint32_t value() const;

private:
    ChecksumModel model_;
    uint32_t table_[256] = {};
    uint32_t state_;
};

// The value of a model over one block of bytes.
uint32_t compute_checksum(const ChecksumModel& model, const uint8_t* bytes, std::size_t count);

}  // namespace orv
