#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

namespace orv::test {
namespace {

namespace fs = std::filesystem;

// The folders of src/ from the bottom up. A file may include its own layer
// and those below it; pass 1 and the library search share a layer.
const std::map<std::string, int> LAYER = {
    {"platform", 0}, {"base", 1}, {"format", 2}, {"command", 3}, {"pass1", 4}, {"library", 4},
    {"placement", 5}, {"pass2", 6}, {"report", 7}, {"output", 8}, {"driver", 9},
};

// The link context holds every phase's state, so it alone includes upwards.
const std::string CONTEXT = "base/link_context.h";

struct Include {
    std::string file;  // relative to src/
    std::string target;
};

std::vector<Include> includes_under(const fs::path& src) {
    static const std::regex QUOTED(R"re(^\s*#\s*include\s*"([^"]+)")re");
    std::vector<Include> found;
    for (const auto& item : fs::recursive_directory_iterator(src)) {
        if (!item.is_regular_file()) continue;
        const std::string file = fs::relative(item.path(), src).generic_string();
        std::ifstream in(item.path());
        std::string line;
        std::smatch match;
        while (std::getline(in, line)) {
            if (std::regex_search(line, match, QUOTED)) found.push_back({file, match[1]});
        }
    }
    return found;
}

std::string folder_of(const std::string& path) { return path.substr(0, path.find('/')); }

TEST(IncludeLayers, EveryIncludePointsDownTheLayers) {
    const std::vector<Include> includes = includes_under(fs::path(ORV_SOURCE_DIR) / "src");
    ASSERT_GT(includes.size(), 100u);
    for (const Include& include : includes) {
        const std::string from = folder_of(include.file);
        const std::string to = folder_of(include.target);
        ASSERT_TRUE(LAYER.count(from)) << "src/" << from << " has no place in the layers";
        ASSERT_TRUE(LAYER.count(to)) << include.file << " includes " << include.target;
        if (from == "format") {
            // The file formats stand alone: the tools include them too.
            EXPECT_EQ(to, "format") << include.file << " includes " << include.target;
        } else if (include.file != CONTEXT) {
            EXPECT_LE(LAYER.at(to), LAYER.at(from)) << include.file << " includes " << include.target;
        }
    }
}

}  // namespace
}  // namespace orv::test
