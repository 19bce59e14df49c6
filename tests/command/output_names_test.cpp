#include <gtest/gtest.h>

#include <string>

#include "command/console_capture.h"
#include "command/file_lists.h"
#include "command/parameters.h"
#include "driver/banner.h"
#include "driver/link_context.h"
#include "placement/output_names.h"

namespace orv {
namespace {

struct Names {
    std::string dir;  // "(none)" when unset
    std::string name;
    bool operator==(const Names&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Names& n) {
    return os << "dir=" << n.dir << " name=" << n.name;
}

Names output_names(const char* rel_field, const char* parameters = "") {
    test::ConsoleCapture capture;
    LinkContext ctx(capture.console());
    init_linker(ctx);
    set_parameters(ctx, parameters);
    set_rel_files(ctx, rel_field);
    set_output_names(ctx);
    return {ctx.options.out_dir ? ctx.options.out_dir : "(none)", ctx.options.out_name};
}

TEST(OutputNames, TheFirstRelocatableFileNamesTheOutputs) {
    EXPECT_EQ(output_names("a b"), (Names{"(none)", "A"}));
    EXPECT_EQ(output_names("obj\\prog"), (Names{"OBJ\\", "PROG"}));
    EXPECT_EQ(output_names("obj/prog"), (Names{"OBJ/", "PROG"}));
    EXPECT_EQ(output_names("d:prog"), (Names{"D:", "PROG"}));
    EXPECT_EQ(output_names("d:obj\\sub/prog.x"), (Names{"D:OBJ\\SUB/", "PROG.X"}));
    EXPECT_EQ(output_names("my.dir\\prog"), (Names{"MY.DIR\\", "PROG"}));
}

TEST(OutputNames, OptionsReplaceOnlyTheirOwnPart) {
    EXPECT_EQ(output_names("d:prog", "-Oout"), (Names{"out\\", "PROG"}));
    EXPECT_EQ(output_names("d:prog", "-Fx"), (Names{"D:", "x"}));
    EXPECT_EQ(output_names("prog", "-Oout/ -Fname"), (Names{"out/", "name"}));
    EXPECT_EQ(output_names("prog", "-Fname"), (Names{"(none)", "name"}));
}

}  // namespace
}  // namespace orv
