#include "support/hex_readback.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "support/run_linker.h"

namespace orv::test {
namespace {

std::string quoted(const std::filesystem::path& path) {
    std::string text = "'";
    for (char c : path.string()) {
        if (c == '\'') {
            text += "'\\''";
        } else {
            text += c;
        }
    }
    return text + "'";
}

}  // namespace

HexReadback read_back_hex(const std::filesystem::path& hex_file) {
    TempDir work;
    std::filesystem::path binary = work / "image.bin";
    std::filesystem::path messages = work / "objcopy.txt";
    std::string command = "objcopy -I ihex -O binary " + quoted(hex_file) + " " + quoted(binary) +
                          " >" + quoted(messages) + " 2>&1";
    int status = std::system(command.c_str());
    HexReadback result;
    result.messages = read_file(messages);
    result.accepted = status != -1 && WIFEXITED(status) && WEXITSTATUS(status) == 0 &&
                      result.messages.empty();
    if (result.accepted) {
        std::string data = read_file(binary);
        result.bytes.assign(data.begin(), data.end());
    }
    return result;
}

}  // namespace orv::test
