#include "support/run_linker.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <sstream>

#include "fixture/object_writer.h"

namespace orv::test {
RunResult run_orvlink(const std::filesystem::path& dir, const std::vector<std::string>& args,
                      const std::string& input, const std::map<std::string, std::string>& env) {
    return run_program(ORVLINK_PATH, dir, args, input, env);
}

std::string read_file(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void TempDir::write(const std::string& name, const std::string& bytes) const {
    // Every relocatable object a test writes is shown to the object observer.
    if (name.size() >= 4 && std::equal(name.end() - 4, name.end(), ".rov", [](char a, char b) {
            return std::tolower(static_cast<unsigned char>(a)) == b;
        })) {
        orvfixture::observe_object(orvfixture::Bytes(bytes.begin(), bytes.end()));
    }
    std::filesystem::path file = path_ / name;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream out(file, std::ios::binary);
    out << bytes;
}

void TempDir::write(const std::string& name, const std::vector<unsigned char>& bytes) const {
    write(name, std::string(bytes.begin(), bytes.end()));
}

std::string TempDir::read(const std::string& name) const { return read_file(path_ / name); }

bool TempDir::exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }

}  // namespace orv::test
