#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fixture/object_writer.h"
#include "support/hex_readback.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

using namespace orvfixture;

Bytes pattern(std::size_t count, uint8_t first) {
    Bytes bytes;
    for (std::size_t i = 0; i < count; ++i) bytes.push_back(uint8_t(first + 7 * i));
    return bytes;
}

// MAIN.ROV: 0x20 bytes of code in P, six bytes in CONST, a unit CRCS of six
// bytes without contents whose labels crc16_at and crc32_at mark where the
// checksums go, an absolute reset vector at FFFE, and the symbol SIZE.
void write_program(const TempDir& dir) {
    ObjectWriter main_module;
    main_module.header("main.src")
        .units({{"P", 0, 0, 0, 0x20}, {"CONST", 0, 0, 0, 6}, {"CRCS", 0, 0, 0, 6}, {"VEC", 0, 1, 0xFFFE, 2}})
        .labels({{0, {{0, "main"}}}, {2, {{0, "crc16_at"}, {2, "crc32_at"}}}})
        .symbols({{0x40, "SIZE"}})
        .contents(0, {{0, pattern(0x20, 0x11)}})
        .contents(1, {{0, {'H', 'E', 'L', 'L', 'O', 0}}})
        .contents(3, {{0xFFFE, {0x00, 0xC0}}})
        .end();
    dir.write("MAIN.ROV", main_module.bytes());
}

const std::string LINK = "MAIN,,P=C000 CONST=C100 CRCS=C1FA,-. -M";

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    for (std::size_t start = 0; start < text.size();) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            result.push_back(text.substr(start));
            break;
        }
        result.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return result;
}

// Runs a shell command in the directory; true when it succeeds.
bool shell(const TempDir& dir, const std::string& command) {
    RunResult run = run_program("/bin/sh", dir.path(), {"-c", command});
    EXPECT_EQ(run.status, 0) << command << "\n" << run.out << run.err;
    return run.status == 0;
}

// The bootloader layout: the fill over the application, a CRC-16 and after
// it a CRC-32 that covers the CRC-16, both at labels in reserved space. An
// independent reader (objcopy, then Python's own CRC routines) finds both
// values right in the HEX file.
TEST(FlashImage, ChecksumsInTheHexFileAreRightForAnIndependentReader) {
    TempDir dir;
    write_program(dir);
    RunResult link = run_orvlink(dir.path(), {LINK, "--fill=00@C000-C1FF", "--checksum=crc16-xmodem@C000-C1F9:crc16_at",
                                              "--checksum=crc32@C000-C1FB:crc32_at"});
    ASSERT_EQ(link.status, 0) << link.out;
    HexReadback image = read_back_hex(dir / "MAIN.HEX");
    ASSERT_TRUE(image.accepted) << image.messages;
    ASSERT_EQ(image.bytes.size(), 0x10000u - 0xC000u);
    dir.write("READ.BIN", std::string(image.bytes.begin(), image.bytes.end()));
    const char* const recompute =
        "import binascii, zlib, sys\n"
        "d = open('READ.BIN', 'rb').read()\n"
        "crc16 = binascii.crc_hqx(d[0:0x1FA], 0)\n"
        "crc32 = zlib.crc32(d[0:0x1FC])\n"
        "print(crc16 == int.from_bytes(d[0x1FA:0x1FC], 'little'), crc32 == int.from_bytes(d[0x1FC:0x200], 'little'))\n"
        "print(d[0x20:0x100] == bytes(0xE0), d[0x106:0x1FA] == bytes(0xF4))\n";
    RunResult check = run_program("python3", dir.path(), {"-c", recompute});
    EXPECT_EQ(check.out, "True True\nTrue True\n") << check.err;

    // The map lists both after the totals, with the values the HEX file holds.
    auto stored = [&](uint32_t address, int bytes) {
        uint32_t value = 0;
        for (int i = bytes - 1; i >= 0; --i) value = value << 8 | image.bytes[address - 0xC000 + uint32_t(i)];
        return value;
    };
    char expected[256];
    std::snprintf(expected, sizeof expected,
                  "TOTAL RAM SIZE 0 (0H) BYTES\r\n\r\n"
                  "CHECKSUM MODEL    RANGE      PLACE      ORDER  VALUE\r\n\r\n"
                  "crc16-xmodem      C000-C1F9  C1FA-C1FB  LOW    %04X  (crc16_at)\r\n"
                  "crc32             C000-C1FB  C1FC-C1FF  LOW    %08X  (crc32_at)\r\n\x1A",
                  stored(0xC1FA, 2), stored(0xC1FC, 4));
    EXPECT_TRUE(dir.read("MAIN.MAP").ends_with(expected)) << dir.read("MAIN.MAP");
}

// The HEX file keeps its streamed records as without the options; the fill
// follows in records of up to 16 bytes that keep to 16-byte boundaries, then
// each checksum in a record of its own, then the end record. An image option
// that adds no bytes leaves the HEX file as it was.
TEST(FlashImage, TheHexFileGetsTheFillAndTheChecksumsBeforeItsEndRecord) {
    TempDir dir;
    write_program(dir);
    ASSERT_EQ(run_orvlink(dir.path(), {LINK}).status, 0);
    const std::string plain = dir.read("MAIN.HEX");
    ASSERT_EQ(run_orvlink(dir.path(), {LINK, "--binary=MAIN.BIN", "--srec=MAIN.S19"}).status, 0);
    EXPECT_EQ(dir.read("MAIN.HEX"), plain);

    ASSERT_EQ(run_orvlink(dir.path(), {LINK, "--fill=A5", "--checksum=sum16-neg@C000-C0FF:C1FE:be"}).status, 0);
    const std::string filled = dir.read("MAIN.HEX");
    const std::string streamed = plain.substr(0, plain.size() - std::string(":00000001FF\r\n\x1A").size());
    ASSERT_TRUE(filled.starts_with(streamed));
    EXPECT_TRUE(filled.ends_with(":00000001FF\r\n\x1A"));
    std::vector<std::string> added = lines(filled.substr(streamed.size()));
    ASSERT_GE(added.size(), 3u);
    // Without a range the fill runs from C000 to FFFF, the highest byte
    // written: every gap between, and no other address.
    long filled_bytes = 0;
    for (std::size_t i = 0; i + 3 < added.size(); ++i) {
        const std::string& record = added[i];
        const unsigned count = unsigned(std::stoul(record.substr(1, 2), nullptr, 16));
        const unsigned address = unsigned(std::stoul(record.substr(3, 4), nullptr, 16));
        EXPECT_LE(count, 16u) << record;
        EXPECT_EQ(address / 16, (address + count - 1) / 16) << record;
        std::string fill;
        for (unsigned k = 0; k < count; ++k) fill += "A5";
        EXPECT_EQ(record.substr(9, 2 * count), fill) << record;
        filled_bytes += count;
    }
    EXPECT_EQ(filled_bytes, 0x4000 - 0x20 - 6 - 2 - 2);
    // The sum of C000-C0FF's bytes and the stored value is 0, high byte first.
    EXPECT_EQ(added[added.size() - 3].substr(0, 9), ":02C1FE00");
    HexReadback image = read_back_hex(dir / "MAIN.HEX");
    ASSERT_TRUE(image.accepted) << image.messages;
    unsigned sum = 0;
    for (std::size_t i = 0; i < 0x100; ++i) sum += image.bytes[i];
    sum += unsigned(image.bytes[0x1FE]) << 8 | image.bytes[0x1FF];
    EXPECT_EQ(sum & 0xFFFF, 0u);
}

// The binary is what objcopy makes of the HEX file with the gaps erased, for
// the whole span and for a range; converted back from the S-records it is
// the same again.
TEST(FlashImage, BinaryAndSRecordsAgreeWithObjcopy) {
    TempDir dir;
    write_program(dir);
    RunResult link = run_orvlink(dir.path(), {LINK, "--fill=00@C0F0-C10F", "--binary=MAIN.BIN", "--srec=MAIN.S19",
                                              "--checksum=crc16-ibm-3740@C000-C0FF:C1F8"});
    ASSERT_EQ(link.status, 0) << link.out;
    ASSERT_TRUE(shell(dir, "objcopy -I ihex -O binary --gap-fill=0xFF MAIN.HEX FROM_HEX.BIN"));
    EXPECT_EQ(dir.read("MAIN.BIN"), dir.read("FROM_HEX.BIN"));
    EXPECT_EQ(dir.read("MAIN.BIN").size(), 0x4000u);
    ASSERT_TRUE(shell(dir, "objcopy -I srec -O binary --gap-fill=0xFF MAIN.S19 FROM_SREC.BIN"));
    EXPECT_EQ(dir.read("FROM_SREC.BIN"), dir.read("MAIN.BIN"));

    // The last line ends in CR LF too, and nothing follows it.
    EXPECT_TRUE(dir.read("MAIN.S19").ends_with("\r\nS9030000FC\r\n"));
    std::vector<std::string> records = lines(dir.read("MAIN.S19"));
    EXPECT_EQ(records.front(), "S0070000" "4D41494E" "D3");  // "MAIN"
    EXPECT_EQ(records.back(), "S9030000FC");
    for (std::size_t i = 1; i + 1 < records.size(); ++i) {
        EXPECT_EQ(records[i].substr(0, 2), "S1") << records[i];
        EXPECT_LE(std::stoul(records[i].substr(2, 2), nullptr, 16), 16u + 3u) << records[i];
    }

    link = run_orvlink(dir.path(), {LINK, "--fill=00@C0F0-C10F", "--binary=PART.BIN@C0F8-C207",
                                    "--checksum=crc16-ibm-3740@C000-C0FF:C1F8"});
    ASSERT_EQ(link.status, 0) << link.out;
    EXPECT_EQ(dir.read("PART.BIN"), dir.read("FROM_HEX.BIN").substr(0xF8, 0x110));
}

// Bytes above FFFF (with -BANK) make every data record an S2 record, ended by S8.
TEST(FlashImage, AddressesAbove16BitsGiveS2Records) {
    TempDir dir;
    ObjectWriter module;
    module.header("m.src")
        .units({{"P", 0, 0, 0, 4}, {"E", 0, 1, 0x10010, 3}})
        .contents(0, {{0, {1, 2, 3, 4}}})
        .contents(1, {{0x10010, {5, 6, 7}}})
        .end();
    dir.write("MAIN.ROV", module.bytes());
    RunResult link = run_orvlink(dir.path(), {"MAIN,,P=FFF0,-. -BANK", "--srec=MAIN.S28", "--binary=MAIN.BIN"});
    ASSERT_EQ(link.status, 0) << link.out;
    std::vector<std::string> records = lines(dir.read("MAIN.S28"));
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[1], "S20800FFF001020304FE");
    EXPECT_EQ(records[2], "S207010010050607D5");
    EXPECT_EQ(records[3], "S804000000FB");
    ASSERT_TRUE(shell(dir, "objcopy -I srec -O binary --gap-fill=0xFF MAIN.S28 FROM_SREC.BIN"));
    EXPECT_EQ(dir.read("FROM_SREC.BIN"), dir.read("MAIN.BIN"));
    EXPECT_EQ(dir.read("MAIN.BIN").size(), 0x23u);

    // The fill's records across the bank boundary get their segment records.
    link = run_orvlink(dir.path(), {"MAIN,,P=FFF0,-. -BANK", "--fill=00", "--binary=MAIN.BIN"});
    ASSERT_EQ(link.status, 0) << link.out;
    ASSERT_TRUE(shell(dir, "objcopy -I ihex -O binary --gap-fill=0xFF MAIN.HEX FROM_HEX.BIN"));
    EXPECT_EQ(dir.read("FROM_HEX.BIN"), dir.read("MAIN.BIN"));
    EXPECT_EQ(dir.read("MAIN.BIN"), std::string("\x01\x02\x03\x04", 4) + std::string(0x1C, '\0') + "\x05\x06\x07");
}

// The link report lists the fill, the checksums and the image files.
TEST(FlashImage, TheLinkReportListsTheFillTheChecksumsAndTheFiles) {
    TempDir dir;
    write_program(dir);
    RunResult link = run_orvlink(dir.path(), {LINK, "--fill=FF", "--binary=MAIN.BIN", "--link-report=R.JSON",
                                              "--checksum=crc16-modbus@C000-C01F:crc16_at:be"});
    ASSERT_EQ(link.status, 0) << link.out;
    RunResult jq = run_program("jq", dir.path(), {"-c", ".output_files.binary, .output_files.srec, .fill, .checksums", "R.JSON"});
    ASSERT_EQ(jq.status, 0) << jq.err;
    const std::string bin = dir.read("MAIN.BIN");
    const unsigned value = unsigned(uint8_t(bin[0x1FA])) << 8 | uint8_t(bin[0x1FB]);
    EXPECT_EQ(jq.out, "\"MAIN.BIN\"\nnull\n{\"value\":255,\"start\":49152,\"end\":65535}\n"
                      "[{\"model\":\"crc16-modbus\",\"start\":49152,\"end\":49183,\"place\":49658,\"label\":\"crc16_at\","
                      "\"bytes\":2,\"byte_order\":\"high_first\",\"value\":" + std::to_string(value) + "}]\n");
    RunResult modbus = run_program("python3", dir.path(), {"-c",
        "d = open('MAIN.BIN', 'rb').read()[0:0x20]\n"
        "crc = 0xFFFF\n"
        "for b in d:\n"
        "    crc ^= b\n"
        "    for _ in range(8): crc = (crc >> 1) ^ 0xA001 if crc & 1 else crc >> 1\n"
        "print(crc)\n"});
    EXPECT_EQ(modbus.out, std::to_string(value) + "\n");
}

// The image files are outputs of the link like the others: targets of the
// dependency file's rule.
TEST(FlashImage, TheDependencyFileNamesTheImageFiles) {
    TempDir dir;
    write_program(dir);
    RunResult link = run_orvlink(dir.path(), {LINK, "--binary=MAIN.BIN", "--srec=MAIN.S19", "--dependency-file=MAIN.D"});
    ASSERT_EQ(link.status, 0) << link.out;
    EXPECT_TRUE(dir.read("MAIN.D").starts_with("MAIN.HEX MAIN.MAP MAIN.BIN MAIN.S19: \\\n"))
        << dir.read("MAIN.D");
}

struct BadOption {
    std::vector<std::string> options;
    int number;
    std::string message;
};

// Every wrong form of an image option, and every checksum rule that the
// command alone breaks, is a command error before any output exists.
TEST(FlashImage, BadFormsAndBrokenRulesAreCommandErrors) {
    TempDir dir;
    write_program(dir);
    const std::string range = "write the range as START-END in hexadecimal";
    const std::string form = "write MODEL@START-END:PLACE or MODEL@START-END:PLACE:be";
    const BadOption cases[] = {
        {{"--fill"}, 4, "Invalid parameter input \"--fill\""},
        {{"--fill="}, 4, "Invalid parameter input \"--fill=\""},
        {{"--binary"}, 4, "Invalid parameter input \"--binary\""},
        {{"--fill=1FF"}, 37, "Invalid image option \"--fill=1FF\": BYTE must be hexadecimal, 00 to FF"},
        {{"--fill=FF@C000"}, 37, "Invalid image option \"--fill=FF@C000\": " + range},
        {{"--fill=FF@C000-CFFG"}, 37, "Invalid image option \"--fill=FF@C000-CFFG\": " + range},
        {{"--fill=FF@D000-C000"}, 37, "Invalid image option \"--fill=FF@D000-C000\": START is above END"},
        {{"--fill=FF@C000-10000"}, 37, "Invalid image option \"--fill=FF@C000-10000\": END is above FFFF"},
        {{"--fill=FF@C000-20000", "-BANK"}, 37, "Invalid image option \"--fill=FF@C000-20000\": END is above 1FFFF"},
        {{"--binary=@C000-C0FF"}, 37, "Invalid image option \"--binary=@C000-C0FF\": FILE is missing"},
        {{"--binary=a@b.bin"}, 37, "Invalid image option \"--binary=a@b.bin\": " + range},
        {{"--binary=MAIN.MAP"}, 37, "Invalid image option \"--binary=MAIN.MAP\": MAIN.MAP is another output file of this link"},
        {{"--binary=X.BIN", "--srec=X.BIN"}, 37, "Invalid image option \"--srec=X.BIN\": X.BIN is another output file of this link"},
        {{"--checksum=crc32"}, 37, "Invalid image option \"--checksum=crc32\": " + form},
        {{"--checksum=crc32@C000-C0FF"}, 37, "Invalid image option \"--checksum=crc32@C000-C0FF\": " + form},
        {{"--checksum=crc99@C000-C0FF:C100"}, 37,
         "Invalid image option \"--checksum=crc99@C000-C0FF:C100\": no checksum model crc99 (see --help, or write "
         "crc:WIDTH:POLY:INIT:REFIN:REFOUT:XOROUT)"},
        {{"--checksum=crc:16:8005:FFFF:maybe:true:0@C000-C0FF:C100"}, 37,
         "Invalid image option \"--checksum=crc:16:8005:FFFF:maybe:true:0@C000-C0FF:C100\": REFIN and REFOUT must be "
         "true or false"},
        {{"--checksum=crc32@C0FF-C000:C100"}, 37, "Invalid image option \"--checksum=crc32@C0FF-C000:C100\": START is above END"},
        {{"--checksum=crc32@C000-C0FF:"}, 37,
         "Invalid image option \"--checksum=crc32@C000-C0FF:\": PLACE must be a hexadecimal address or a global label"},
        {{"--checksum=crc32@C000-C0FF:nosuch"}, 37,
         "Invalid image option \"--checksum=crc32@C000-C0FF:nosuch\": nosuch is no global label"},
        {{"--checksum=crc32@C000-C0FF:SIZE"}, 37,
         "Invalid image option \"--checksum=crc32@C000-C0FF:SIZE\": SIZE is no global label"},
        {{"--checksum=crc16-arc@C000-C0FF:C0FF"}, 38, "Checksum \"crc16-arc@C000-C0FF:C0FF\" at C0FF-C100 lies inside its own range"},
        {{"--checksum=crc32@C000-C0FF:BFFD"}, 38, "Checksum \"crc32@C000-C0FF:BFFD\" at BFFD-C000 lies inside its own range"},
        {{"--checksum=crc32@C000-10000:BFF0"}, 40, "Checksum \"crc32@C000-10000:BFF0\" at BFF0-BFF3 reaches above the address limit"},
        {{"--checksum=crc32@C000-C0FF:FFFE"}, 40, "Checksum \"crc32@C000-C0FF:FFFE\" at FFFE-10001 reaches above the address limit"},
        {{"--checksum=sum8@C000-C0FF:C1F0", "--checksum=crc16-xmodem@C000-C0FF:C1EF"}, 41,
         "Checksums \"sum8@C000-C0FF:C1F0\" at C1F0-C1F0 and \"crc16-xmodem@C000-C0FF:C1EF\" at C1EF-C1F0 overlap"},
    };
    for (const BadOption& c : cases) {
        // A word without "--" goes to the command parameters.
        std::string parameters = "-. -M -S";
        std::vector<std::string> args;
        for (const std::string& word : c.options) {
            if (word.starts_with("--")) {
                args.push_back(word);
            } else {
                parameters += " " + word;
            }
        }
        args.insert(args.begin(), "MAIN,,P=C000 CONST=C100 CRCS=C1FA," + parameters);
        RunResult run = run_orvlink(dir.path(), args);
        EXPECT_TRUE(run.out.ends_with("ERROR NO." + std::to_string(c.number) + ": " + c.message + "\n"))
            << c.options[0] << "\n" << run.out;
        EXPECT_EQ(run.status, 2) << c.options[0];
        EXPECT_EQ(run.err, "\a") << c.options[0];
        EXPECT_FALSE(dir.exists("MAIN.HEX")) << c.options[0];
        EXPECT_FALSE(dir.exists("MAIN.MAP")) << c.options[0];
    }
}

// A rule that only placement can show, with a checksum at a label, is a
// listed finding: the outputs are completed and the run ends with status 1.
TEST(FlashImage, RulesBrokenByPlacementAreListedFindings) {
    TempDir dir;
    write_program(dir);
    const struct {
        std::vector<std::string> options;
        std::string finding;
    } cases[] = {
        {{"--checksum=crc16-xmodem@C000-C1FF:crc32_at"},
         "ERROR NO.38: Checksum \"crc16-xmodem@C000-C1FF:crc32_at\" at C1FC-C1FD lies inside its own range\n"},
        {{"--checksum=crc32@C100-C1F0:main"},
         "ERROR NO.39: Checksum \"crc32@C100-C1F0:main\" at C000-C003 lies over the contents of SECTION P in MAIN.ROV\n"},
        {{"--checksum=crc32@C000-C0FF:C1F9", "--checksum=crc16-xmodem@C000-C0FF:crc16_at"},
         "ERROR NO.41: Checksums \"crc32@C000-C0FF:C1F9\" at C1F9-C1FC and \"crc16-xmodem@C000-C0FF:crc16_at\" at "
         "C1FA-C1FB overlap\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {LINK, "--binary=MAIN.BIN"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        RunResult run = run_orvlink(dir.path(), args);
        EXPECT_NE(run.out.find(c.finding), std::string::npos) << run.out;
        EXPECT_EQ(run.status, 1) << run.out;
        EXPECT_EQ(run.err, "\a");
        EXPECT_TRUE(dir.read("MAIN.HEX").ends_with(":00000001FF\r\n\x1A"));
        EXPECT_EQ(dir.read("MAIN.BIN").size(), 0x4000u);
    }

    // A label so high that the value would pass the address limit.
    ObjectWriter high;
    high.header("h.src").units({{"TOP", 0, 1, 0xFFF0, 0x0E}}).labels(0, {{0xFFFD, "top"}}).end();
    dir.write("HIGH.ROV", high.bytes());
    RunResult run = run_orvlink(dir.path(), {"MAIN HIGH,,P=C000,-.", "--checksum=crc32@C000-C0FF:top"});
    EXPECT_TRUE(run.out.find("ERROR NO.40: Checksum \"crc32@C000-C0FF:top\" at FFFD-10000 reaches above the address "
                             "limit\n") != std::string::npos)
        << run.out;
    EXPECT_EQ(run.status, 1);
}

}  // namespace
}  // namespace orv::test
