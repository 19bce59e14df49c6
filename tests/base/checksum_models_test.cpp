#include <gtest/gtest.h>

#include <string>

#include "base/checksum_models.h"

namespace orv::test {
namespace {

const std::string CHECK_TEXT = "123456789";

uint32_t check_value(const ChecksumModel& model) {
    return compute_checksum(model, reinterpret_cast<const uint8_t*>(CHECK_TEXT.data()), CHECK_TEXT.size());
}

// Every model of the catalogue, under each of its names, gives the check
// value its standard publishes for the nine bytes "123456789".
TEST(ChecksumModels, EveryNamedModelGivesItsPublishedCheckValue) {
    const struct {
        const char* name;
        uint32_t check;
        int bytes;
    } cases[] = {
        {"crc8", 0xF4, 1},           {"crc8-smbus", 0xF4, 1},         {"crc16-ibm-3740", 0x29B1, 2},
        {"crc16-ccitt-false", 0x29B1, 2}, {"crc16-xmodem", 0x31C3, 2}, {"crc16-kermit", 0x2189, 2},
        {"crc16-ibm-sdlc", 0x906E, 2}, {"crc16-x25", 0x906E, 2},       {"crc16-spi-fujitsu", 0xE5CC, 2},
        {"crc16-aug-ccitt", 0xE5CC, 2}, {"crc16-arc", 0xBB3D, 2},      {"crc16-modbus", 0x4B37, 2},
        {"crc32", 0xCBF43926, 4},    {"crc32-iso-hdlc", 0xCBF43926, 4}, {"crc32-bzip2", 0xFC891918, 4},
        {"crc32-mpeg2", 0x0376E6E7, 4}, {"crc32c", 0xE3069283, 4},     {"crc32-iscsi", 0xE3069283, 4},
        // The bytes 31 to 39 add up to 1DD.
        {"sum8", 0xDD, 1},           {"sum16", 0x01DD, 2},            {"sum8-neg", 0x23, 1},
        {"sum16-neg", 0xFE23, 2},
    };
    for (const auto& c : cases) {
        std::optional<ChecksumModel> model = find_checksum_model(c.name);
        ASSERT_TRUE(model) << c.name;
        EXPECT_EQ(check_value(*model), c.check) << c.name;
        EXPECT_EQ(model->value_bytes(), c.bytes) << c.name;
    }
    // Names are found in any case; others are not models.
    ASSERT_TRUE(find_checksum_model("CRC16-XMODEM"));
    EXPECT_FALSE(find_checksum_model("crc16"));
    EXPECT_FALSE(find_checksum_model(""));
}

// Models by their parameters: the catalogue's own, models the catalogue
// lacks (widths that are no multiple of 8 included), and a value added in
// pieces as in one block.
TEST(ChecksumModels, ParametersDescribeAnyModel) {
    const struct {
        const char* text;
        uint32_t check;
    } cases[] = {
        {"crc:16:8005:FFFF:true:true:0", 0x4B37},            // MODBUS
        {"crc:32:0x04C11DB7:0xFFFFFFFF:TRUE:True:FFFFFFFF", 0xCBF43926},
        {"crc:16:8005:0:false:false:0", 0xFEE8},             // UMTS
        {"crc:16:1021:FFFF:false:false:FFFF", 0xD64E},       // GENIBUS
        {"crc:8:31:0:true:true:0", 0xA1},                    // MAXIM-DOW
        {"crc:12:80F:0:false:true:0", 0xDAF},                // 3GPP
        {"crc:24:864CFB:B704CE:false:false:0", 0x21CF02},    // OPENPGP
        {"crc:31:4C11DB7:7FFFFFFF:false:false:7FFFFFFF", 0x0CE9E46C},  // PHILIPS
    };
    for (const auto& c : cases) {
        std::string reason;
        std::optional<ChecksumModel> model = parse_crc_parameters(c.text, reason);
        ASSERT_TRUE(model) << c.text << ": " << reason;
        EXPECT_EQ(check_value(*model), c.check) << c.text;
        ChecksumEngine pieces(*model);
        const uint8_t* bytes = reinterpret_cast<const uint8_t*>(CHECK_TEXT.data());
        pieces.add(bytes, 4);
        pieces.add(bytes + 4, 0);
        pieces.add(bytes + 4, 5);
        EXPECT_EQ(pieces.value(), c.check) << c.text;
    }
}

TEST(ChecksumModels, BadParametersSayWhatIsWrong) {
    const std::string form = "write crc:WIDTH:POLY:INIT:REFIN:REFOUT:XOROUT";
    const struct {
        const char* text;
        std::string reason;
    } cases[] = {
        {"crc:16:8005:FFFF:true:true", form},
        {"crc:16:8005:FFFF:true:true:0:0", form},
        {"sum:16:8005:FFFF:true:true:0", form},
        {"crc:7:7:0:false:false:0", "WIDTH must be a decimal number from 8 to 32"},
        {"crc:33:7:0:false:false:0", "WIDTH must be a decimal number from 8 to 32"},
        {"crc:x16:7:0:false:false:0", "WIDTH must be a decimal number from 8 to 32"},
        {"crc::7:0:false:false:0", "WIDTH must be a decimal number from 8 to 32"},
        {"crc:8:107:0:false:false:0", "POLY must be hexadecimal and fit in 8 bits"},
        {"crc:16:8005:1FFFF:false:false:0", "INIT must be hexadecimal and fit in 16 bits"},
        {"crc:16:8005:0:false:false:0x", "XOROUT must be hexadecimal and fit in 16 bits"},
        {"crc:16:80G5:0:false:false:0", "POLY must be hexadecimal and fit in 16 bits"},
        {"crc:16:8005:0:yes:false:0", "REFIN and REFOUT must be true or false"},
        {"crc:16:8005:0:false::0", "REFIN and REFOUT must be true or false"},
    };
    for (const auto& c : cases) {
        std::string reason;
        EXPECT_FALSE(parse_crc_parameters(c.text, reason)) << c.text;
        EXPECT_EQ(reason, c.reason) << c.text;
    }
}

}  // namespace
}  // namespace orv::test
