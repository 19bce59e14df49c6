#include "support/hex_readback.h"

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/run_linker.h"

namespace orv::test {

HexReadback read_back_hex(const std::filesystem::path& hex_file) {
    TempDir work;
    std::filesystem::path binary = work / "image.bin";
    RunResult run = run_program(OBJCOPY_PATH, work.path(),
                                {"-I", "ihex", "-O", "binary", build_host_path(hex_file), build_host_path(binary)});
    HexReadback result;
    result.messages = run.out + run.err;
    result.accepted = run.status == 0 && result.messages.empty();
    if (result.accepted) {
        std::string data = read_file(binary);
        result.bytes.assign(data.begin(), data.end());
    }
    return result;
}

}  // namespace orv::test
