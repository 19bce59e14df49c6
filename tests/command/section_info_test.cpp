#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "command/console_capture.h"
#include "command/section_info.h"
#include "driver/banner.h"
#include "driver/link_context.h"

namespace orv {
namespace {

using test::ConsoleCapture;
using test::fatal_error_of;

using Items = std::vector<std::pair<std::string, int32_t>>;

class SectionInfo : public ::testing::Test {
protected:
    SectionInfo() : ctx(capture.console()) { init_linker(ctx); }

    Items items(const std::string& field) {
        set_section_info(ctx, field.c_str());
        Items result;
        for (const SecInfoEntry& entry : ctx.command.sec_info) result.emplace_back(entry.name, entry.address);
        return result;
    }

    std::optional<LinkError> error_of(const std::string& field) {
        return fatal_error_of([&] { set_section_info(ctx, field.c_str()); });
    }

    ConsoleCapture capture;
    LinkContext ctx;
};

TEST_F(SectionInfo, ItemsInOrderWithOptionalAddresses) {
    EXPECT_EQ(items(""), Items{});
    EXPECT_EQ(items(" p=C000\tr "), (Items{{"P", 0xC000}, {"R", NO_ADDRESS}}));
    EXPECT_EQ(items("z s=ff00 DATA=1fF0"), (Items{{"Z", NO_ADDRESS}, {"S", 0xFF00}, {"DATA", 0x1FF0}}));
    EXPECT_EQ(items("p1=100 x"), (Items{{"p1", 0x100}, {"x", NO_ADDRESS}}))
        << "only the one-letter standard names are upper-cased";
    EXPECT_EQ(items("=100"), (Items{{"", 0x100}}));
    EXPECT_EQ(items("P=FFFF"), (Items{{"P", 0xFFFF}}));
}

TEST_F(SectionInfo, MalformedItemsAreError3) {
    for (const char* field : {"P = C000", "P=", "P= 100", "P=C000H", "P=100=200", "P=1,R", "P=x"}) {
        auto error = error_of(field);
        ASSERT_TRUE(error) << field;
        EXPECT_EQ(error->number(), ERR_INVALID_SECTION_INFO) << field;
    }
}

TEST_F(SectionInfo, AddressAboveTheLimitIsError28WithTheName) {
    for (const char* field : {"p=10000", "DATA=80000000", "X=FFFFFFFF"}) {
        auto error = error_of(field);
        ASSERT_TRUE(error) << field;
        EXPECT_EQ(error->number(), ERR_SECTION_INFO_RANGE) << field;
    }
    EXPECT_EQ(error_of("p=10000")->argument(), "P");
    EXPECT_EQ(error_of("DATA=80000000")->argument(), "DATA");
}

TEST_F(SectionInfo, BankModeWidensTheRange) {
    ctx.options.max_address = 0x1FFFF;
    EXPECT_EQ(items("P=10000 R=1FFFF"), (Items{{"P", 0x10000}, {"R", 0x1FFFF}}));
    auto error = error_of("P=20000");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number(), ERR_SECTION_INFO_RANGE);
}

}  // namespace
}  // namespace orv
