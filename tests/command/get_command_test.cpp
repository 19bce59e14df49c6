#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command/console_capture.h"
#include "driver/banner.h"
#include "driver/link_context.h"

namespace orv {
namespace {

using test::ConsoleCapture;
using test::fatal_error_of;

const std::string BANNER =
    "Orvan Family LINKER V.4.00.00 \n"
    "Copyright (C) 2026 Orvlink developers. All rights reserved.\n"
    "Linker for the Orvan family of 8-bit microcontrollers.\n"
    "\n";

class GetCommand : public ::testing::Test {
protected:
    void run(const std::vector<std::string>& args, const std::string& input = "") {
        capture = std::make_unique<ConsoleCapture>(input);
        ctx = std::make_unique<LinkContext>(capture->console());
        init_linker(*ctx);
        error = fatal_error_of([&] { get_command(*ctx, args); });
    }

    std::vector<std::string> rel_names() const {
        return {ctx->command.rel_file_names.begin(), ctx->command.rel_file_names.end()};
    }

    std::unique_ptr<ConsoleCapture> capture;
    std::unique_ptr<LinkContext> ctx;
    std::optional<LinkError> error;
};

TEST_F(GetCommand, AllFourFieldsParsedInOrder) {
    run({"main", "sub,lib1,P=C000", "R,-M", "-S"});
    ASSERT_FALSE(error);
    EXPECT_EQ(rel_names(), (std::vector<std::string>{"MAIN.ROV", "SUB.ROV"}));
    ASSERT_EQ(ctx->command.lib_file_names.size(), 1u);
    EXPECT_STREQ(ctx->command.lib_file_names[0], "LIB1.LIB");
    ASSERT_EQ(ctx->command.sec_info.size(), 2u);
    EXPECT_STREQ(ctx->command.sec_info[0].name, "P");
    EXPECT_EQ(ctx->command.sec_info[0].address, 0xC000);
    EXPECT_EQ(ctx->options.opt_map, 1);
    EXPECT_EQ(ctx->options.opt_sym, 1);
    EXPECT_STREQ(ctx->options.out_name, "MAIN");
    EXPECT_EQ(ctx->options.out_dir, nullptr);
    EXPECT_EQ(capture->err(), BANNER);
    EXPECT_EQ(capture->out(), "");
}

TEST_F(GetCommand, QuietOptionSuppressesTheBannerOnlyWhenAllFieldsAreGiven) {
    run({"a,,,-."});
    ASSERT_FALSE(error);
    EXPECT_EQ(capture->err(), "");

    run({"a,,P"}, "-.\n");
    ASSERT_FALSE(error);
    EXPECT_EQ(ctx->options.opt_quiet, 1);
    EXPECT_EQ(capture->err(), BANNER + "Command parameter        >> ");
}

TEST_F(GetCommand, ParametersAreParsedBeforeTheFileLists) {
    run({",,,-x"});
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), ERR_INVALID_PARAMETER);
    EXPECT_EQ(capture->err(), "") << "the banner follows the parameters";

    run({"a,,P=10000,-BANK"});
    EXPECT_FALSE(error) << "-BANK is known when the section information is checked";
}

TEST_F(GetCommand, LowerCaseOrAccompaniedVIsNoVersionQuery) {
    run({"-v"}, "\n\n\n");
    ASSERT_FALSE(error);
    EXPECT_EQ(rel_names(), std::vector<std::string>{"-V.ROV"});
    EXPECT_EQ(capture->err(), BANNER + "Libraries         (.LIB) >> Section information      >> "
                                       "Command parameter        >> ");

    run({"-V", "x"}, "\n\n\n");
    ASSERT_FALSE(error);
    EXPECT_EQ(rel_names(), (std::vector<std::string>{"-V.ROV", "X.ROV"}));
}

}  // namespace
}  // namespace orv
