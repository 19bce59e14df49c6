#include <gtest/gtest.h>

#include <map>
#include <cstdlib>
#include <string>

#include "base/link_context.h"
#include "driver/run_link.h"
#include "fixed_inputs.h"
#include "support/captured_stream.h"
#include "support/run_linker.h"

namespace orv::test {
namespace {

// A link whose inputs, command file included, come from the loader and whose
// outputs go to the creator opens no file of its own.
TEST(InMemoryLink, CommandFileInputsAndOutputsAllGoThroughTheContext) {
    const std::map<std::string, std::string, std::less<>> files{
        {"MAIN.ROV", orvfuzz::fixed_main_object()},
        {"FIX.LIB", orvfuzz::fixed_library()},
        {"CMD.LNK", "MAIN,\r\nFIX,CODE=C000\nDATA=0040,-MS -S -. --why-extract=WHY.TXT --link-report=R.JSON"}};
    CapturedStream out;
    LinkContext ctx(Console{stdin, out.file(), out.file()});
    ctx.inputs.set_loader([&](std::string_view name, std::string& bytes) {
        auto found = files.find(name);
        if (found == files.end()) return false;
        bytes = found->second;
        return true;
    });
    // The creator's files stand in a scratch directory, under the names the
    // link asked for; the link closes each.
    TempDir scratch;
    std::map<std::string, std::string> written;
    ctx.output.create_file = [&](std::string_view name) {
        written[std::string(name)];
        return std::fopen((scratch / std::string(name)).string().c_str(), "wb");
    };
    EXPECT_EQ(run_link(ctx, {"@CMD.LNK"}), 0) << out.text();
    for (auto& [name, text] : written) text = scratch.read(name);
    std::vector<std::string> names;
    for (const auto& [name, text] : written) names.push_back(name);
    EXPECT_EQ(names, (std::vector<std::string>{"MAIN.HEX", "MAIN.MAP", "MAIN.SYM", "R.JSON", "WHY.TXT"}));
    EXPECT_TRUE(written["MAIN.HEX"].ends_with(":00000001FF\r\n\x1A")) << written["MAIN.HEX"];
    EXPECT_EQ(written["WHY.TXT"], "reference\textracted\tsymbol\nMAIN.ROV\tFIX.LIB(PUTC)\tputc\n"
                                  "FIX.LIB(PUTC)\tFIX.LIB(GETC)\tgetc\n");
}

}  // namespace
}  // namespace orv::test
