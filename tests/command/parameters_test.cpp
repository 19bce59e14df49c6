#include <gtest/gtest.h>

#include <string>

#include "command/console_capture.h"
#include "command/parameters.h"
#include "driver/banner.h"
#include "driver/link_context.h"

namespace orv {
namespace {

using test::ConsoleCapture;
using test::fatal_error_of;

class Parameters : public ::testing::Test {
protected:
    Parameters() : ctx(capture.console()) { init_linker(ctx); }

    // The offending token of a refused field, or "(accepted)".
    std::string refused_token(const std::string& field) {
        auto error = fatal_error_of([&] { set_parameters(ctx, field.c_str()); });
        if (!error) return "(accepted)";
        EXPECT_EQ(error->number(), ERR_INVALID_PARAMETER);
        return error->argument();
    }

    ConsoleCapture capture;
    LinkContext ctx;
};

TEST_F(Parameters, EmptyFieldSetsNothing) {
    set_parameters(ctx, " \t ");
    const Options& o = ctx.options;
    EXPECT_EQ(o.opt_sym + o.opt_map + o.opt_map_symbols + o.opt_no_request + o.opt_version_check +
                  o.opt_quiet + o.opt_absolute_overlap + o.opt_debug + o.bank_mode,
              0);
    EXPECT_EQ(o.max_address, 0xFFFF);
    EXPECT_EQ(o.out_dir, nullptr);
    EXPECT_EQ(o.out_name, nullptr);
}

TEST_F(Parameters, EveryFlagInEitherCase) {
    set_parameters(ctx, "-s -n\t-v -a -. -m -DEBUG");
    const Options& o = ctx.options;
    EXPECT_EQ(o.opt_sym, 1);
    EXPECT_EQ(o.opt_no_request, 1);
    EXPECT_EQ(o.opt_version_check, 1);
    EXPECT_EQ(o.opt_absolute_overlap, 1);
    EXPECT_EQ(o.opt_quiet, 1);
    EXPECT_EQ(o.opt_map, 1);
    EXPECT_EQ(o.opt_map_symbols, 0) << "-m alone lists no globals";
    EXPECT_EQ(o.opt_debug, 1);
    EXPECT_EQ(o.bank_mode, 0);
}

TEST_F(Parameters, MapWithSymbolsInAnyCase) {
    for (const char* spelling : {"-MS", "-ms", "-mS", "-Ms"}) {
        LinkContext fresh(capture.console());
        init_linker(fresh);
        set_parameters(fresh, spelling);
        EXPECT_EQ(fresh.options.opt_map, 1) << spelling;
        EXPECT_EQ(fresh.options.opt_map_symbols, 1) << spelling;
    }
}

TEST_F(Parameters, BankRaisesTheAddressLimit) {
    set_parameters(ctx, "-bAnK");
    EXPECT_EQ(ctx.options.bank_mode, 1);
    EXPECT_EQ(ctx.options.max_address, 0x1FFFF);
}

TEST_F(Parameters, MalformedTokensAreRefusedWithTheWholeToken) {
    EXPECT_EQ(refused_token("map"), "map");
    EXPECT_EQ(refused_token("-M -"), "-");
    EXPECT_EQ(refused_token("-Sx"), "-Sx");
    EXPECT_EQ(refused_token("-MX"), "-MX");
    EXPECT_EQ(refused_token("-MSS"), "-MSS");
    EXPECT_EQ(refused_token("-BANKS"), "-BANKS");
    EXPECT_EQ(refused_token("-BANX"), "-BANX");
    EXPECT_EQ(refused_token("-BAN"), "-BAN");
    EXPECT_EQ(refused_token("-debug"), "-debug");
    EXPECT_EQ(refused_token("-Debug"), "-Debug");
    EXPECT_EQ(refused_token("-DEBUGX"), "-DEBUGX");
    EXPECT_EQ(refused_token("-d"), "-d");
    EXPECT_EQ(refused_token("-Q"), "-Q");
    EXPECT_EQ(refused_token("-M,-S"), "-M,-S");
    EXPECT_EQ(refused_token("-O"), "-O");
    EXPECT_EQ(refused_token("-f"), "-f");
}

TEST_F(Parameters, TruncatedBankIsRefused) {
    EXPECT_EQ(refused_token("-B"), "-B");
    EXPECT_EQ(refused_token("-ba"), "-ba");
    EXPECT_EQ(ctx.options.bank_mode, 0);
}

TEST_F(Parameters, OptionsBeforeTheOffendingTokenAreSet) {
    EXPECT_EQ(refused_token("-M -x -S"), "-x");
    EXPECT_EQ(ctx.options.opt_map, 1);
    EXPECT_EQ(ctx.options.opt_sym, 0);
}

TEST_F(Parameters, OutputDirectoryEndsInItsSeparator) {
    set_parameters(ctx, "-Oout");
    EXPECT_STREQ(ctx.options.out_dir, "out\\");
    set_parameters(ctx, "-od:");
    EXPECT_STREQ(ctx.options.out_dir, "d:") << "a drive letter keeps its colon alone";
    set_parameters(ctx, "-Oobj\\out\\");
    EXPECT_STREQ(ctx.options.out_dir, "obj\\out\\");
    set_parameters(ctx, "-Oobj/out/");
    EXPECT_STREQ(ctx.options.out_dir, "obj/out/") << "a slash is a separator too";
}

TEST_F(Parameters, OutputBaseNameKeepsItsCaseAndTheLaterOneWins) {
    set_parameters(ctx, "-Ffirst -fSecond");
    EXPECT_STREQ(ctx.options.out_name, "Second");
}

TEST_F(Parameters, OverlongOutputTextsAreIgnored) {
    std::string dir511(511, 'd');
    set_parameters(ctx, ("-O" + dir511).c_str());
    EXPECT_EQ(std::string(ctx.options.out_dir), dir511 + "\\");
    set_parameters(ctx, ("-O" + std::string(512, 'e') + " -F" + std::string(512, 'f')).c_str());
    EXPECT_EQ(std::string(ctx.options.out_dir), dir511 + "\\") << "the earlier -O stays";
    EXPECT_EQ(ctx.options.out_name, nullptr);
    set_parameters(ctx, ("-F" + std::string(511, 'n')).c_str());
    EXPECT_EQ(std::string(ctx.options.out_name), std::string(511, 'n'));
}

}  // namespace
}  // namespace orv
