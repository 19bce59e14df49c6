#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace orv::test {

// An Intel-HEX file as an independent reader (objcopy) sees it.
struct HexReadback {
    bool accepted = false;       // objcopy read the file without complaint
    std::string messages;        // what objcopy printed
    std::vector<uint8_t> bytes;  // from the lowest address written to the highest, gaps as 0
};

// Converts the HEX file to a flat binary with `objcopy -I ihex -O binary`.
HexReadback read_back_hex(const std::filesystem::path& hex_file);

}  // namespace orv::test
