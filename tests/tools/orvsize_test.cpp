#include <gtest/gtest.h>

#include <string>

#include "orvsize/json_value.h"
#include "orvsize/link_report.h"
#include "orvsize/size_table.h"

// orvsize's JSON reader, its reading of a link report, and its tables.
namespace orvsize {
namespace {

std::string json_fault(const std::string& text) {
    try {
        parse_json(text);
    } catch (const JsonError& error) {
        return error.what();
    }
    return "parsed";
}

TEST(JsonValue, ReadsTheReportsEscapesAndRefusesMalformedText) {
    const JsonValue value = parse_json(R"( {"a": [1, -2.5e1, true, null], "b": "x\u00E9\"\n\/", "c": {}} )");
    ASSERT_EQ(value.kind, JsonValue::Kind::OBJECT);
    EXPECT_EQ(value.find("a")->items.size(), 4u);
    EXPECT_EQ(value.find("a")->items[1].number, -25.0);
    EXPECT_TRUE(value.find("a")->items[3].is_null());
    EXPECT_EQ(value.find("b")->text, "x\xE9\"\n/");
    EXPECT_EQ(value.find("d"), nullptr);
    EXPECT_EQ(value.find("a")->find("a"), nullptr);  // an array has no members

    EXPECT_EQ(json_fault("{\"a\": 1} x"), "offset 9: text after the document");
    EXPECT_EQ(json_fault("{\"a\" 1}"), "offset 5: expected :");
    EXPECT_EQ(json_fault("[\"a\tb\"]"), "offset 3: a control byte inside a string");
    EXPECT_EQ(json_fault("[\"\\q\"]"), "offset 3: an unknown escape in a string");
    EXPECT_EQ(json_fault("[1.]"), "offset 3: a number's fraction has no digits");
    EXPECT_EQ(json_fault(std::string(100, '[')), "offset 65: nested too deeply");
    EXPECT_EQ(json_fault("[tru]"), "offset 1: not a value");
}

// Members outside the wanted ones are checked but not kept, and the
// elements of top-level arrays go to the sink, one at a time.
TEST(JsonValue, PassesOverUnwantedMembersAndStreamsElements) {
    struct Names : JsonElementSink {
        std::string seen;
        void element(std::string_view array, const JsonValue& value) override {
            seen += std::string(array) + ":" + (value.find("n") ? value.find("n")->text : "?") + ";";
        }
    } names;
    const std::vector<std::string_view> wanted = {"rows", "total"};
    const JsonValue value =
        parse_json(R"({"skip": [{"n": "\u0041"}], "rows": [{"n": "a"}, {"n": "b", "m": 1}, {"x": 2}], "total": 3})",
                   &wanted, &names);
    EXPECT_EQ(names.seen, "rows:a;rows:b;rows:?;");
    EXPECT_EQ(value.find("skip"), nullptr);
    EXPECT_TRUE(value.find("rows")->items.empty());
    EXPECT_EQ(value.find("total")->number, 3.0);
    EXPECT_EQ(json_fault(R"({"skip": ["\x"]})"), "offset 12: an unknown escape in a string");
}

const char* const REPORT =
    R"({"format": "orvlink link report", "version": 2,
        "regions": [{"name": "FLASH", "kind": "ROM", "size": 100, "used": 30},
                    {"name": "ZERO_PAGE", "kind": null, "size": 256, "used": 2}],
        "sections": [{"name": "P", "kind": "ROM", "length": 30}, {"name": "Z", "kind": "RAM", "length": 2}],
        "units": [{"unit": 0, "file": "A.ROV", "library_module": null, "kind": "ROM", "length": 20},
                  {"unit": 1, "file": "A.ROV", "library_module": null, "kind": "RAM", "length": 2},
                  {"unit": 2, "file": "L.LIB", "library_module": "M|N", "kind": "ROM", "length": 10}],
        "functions": [{"name": "b", "file": "A.ROV", "library_module": null, "unit": 0, "size": 10},
                      {"name": "a", "file": "A.ROV", "library_module": null, "unit": 0, "size": 10},
                      {"name": "m", "file": "L.LIB", "library_module": "M|N", "unit": 2, "size": 10}],
        "libraries": [{"library": "L.LIB", "modules": 1, "rom": 10, "ram": 0}],
        "totals": {"rom": 30, "ram": 2}})";

std::string report_fault(const std::string& text) {
    try {
        read_link_report(text);
    } catch (const ReportError& error) {
        return error.what();
    }
    return "read";
}

TEST(LinkReportReader, GroupsAndFaults) {
    const LinkReport report = read_link_report(REPORT);
    ASSERT_EQ(report.modules.size(), 3u);
    EXPECT_EQ(report.modules[2].name, "L.LIB(M|N)");
    EXPECT_EQ(report.regions[1].kind, "-");
    EXPECT_EQ(report.functions[2].kind, "ROM");
    EXPECT_EQ(report.functions[2].module, "L.LIB(M|N)");
    EXPECT_EQ(report.ram, 2);

    std::string no_units = REPORT;
    no_units.replace(no_units.find("\"units\""), 7, "\"unitz\"");
    EXPECT_EQ(report_fault(no_units), "not a link report: no member \"units\" of the expected type");
    std::string bad_size = REPORT;
    bad_size.replace(bad_size.find("\"size\": 10}"), 11, "\"size\": -1}");
    EXPECT_EQ(report_fault(bad_size), "not a link report: \"size\" is no size");
    EXPECT_EQ(report_fault(R"({"format": "orvlink link report", "version": 2, "units": [3]})"),
              "not a link report: an element of \"units\" is no object");
    // The format is checked before the rows' faults.
    EXPECT_EQ(report_fault(R"({"format": "other", "units": [3]})"),
              "not a link report: its \"format\" is not \"orvlink link report\"");
    EXPECT_EQ(report_fault(R"({"format": "orvlink link report"})"),
              "a link report of version unknown; this orvsize reads version 2");
}

TEST(SizeTables, LargestFirstTiesByNameInEveryFormat) {
    const LinkReport report = read_link_report(REPORT);
    EXPECT_EQ(size_output(report, Grouping::FUNCTION, {}, Format::TEXT),
              "FUNCTION  MODULE      KIND  BYTES  SHARE\n"
              "a         A.ROV       ROM      10  33.3%\n"
              "b         A.ROV       ROM      10  33.3%\n"
              "m         L.LIB(M|N)  ROM      10  33.3%\n"
              "\n"
              "total: ROM 30 bytes, RAM 2 bytes\n");
    EXPECT_EQ(size_output(report, Grouping::MODULE, {}, Format::MARKDOWN),
              "| MODULE | KIND | BYTES | SHARE |\n"
              "| :--- | :--- | ---: | ---: |\n"
              "| A.ROV | ROM | 20 | 66.7% |\n"
              "| L.LIB(M\\|N) | ROM | 10 | 33.3% |\n"
              "| A.ROV | RAM | 2 | 100.0% |\n"
              "\n"
              "**Total:** ROM 30 bytes, RAM 2 bytes\n");
    EXPECT_EQ(size_output(report, Grouping::REGION, {}, Format::CSV),
              "REGION,KIND,USED,SIZE,USE%\nFLASH,ROM,30,100,30.0%\nZERO_PAGE,-,2,256,0.8%\n");
    EXPECT_EQ(size_output(report, Grouping::SECTION, {}, Format::JSON),
              "{\"grouping\":\"section\",\n\"rows\":[\n{\"name\":\"P\",\"kind\":\"ROM\",\"bytes\":30},\n"
              "{\"name\":\"Z\",\"kind\":\"RAM\",\"bytes\":2}\n],\n\"totals\":{\"rom\":30,\"ram\":2},\n\"budgets\":[]}\n");
}

TEST(SizeTables, ChangesSortBySizeThenGrowthThenName) {
    const std::vector<SizeRow> old_rows = {{"a", "", "ROM", 10}, {"b", "", "ROM", 10}, {"c", "", "ROM", 5},
                                           {"d", "", "ROM", 7}};
    const std::vector<SizeRow> new_rows = {{"a", "", "ROM", 6}, {"b", "", "ROM", 14}, {"c", "", "ROM", 5},
                                           {"e", "", "RAM", 4}};
    std::string order;
    for (const ChangeRow& row : changes(old_rows, new_rows, false)) {
        order += row.key.name + std::to_string(row.change()) + " ";
    }
    EXPECT_EQ(order, "d-7 b4 e4 a-4 ");
    EXPECT_EQ(changes(old_rows, new_rows, true).size(), 5u);
    const LinkReport report = read_link_report(REPORT);
    EXPECT_EQ(diff_output(report, report, Grouping::MODULE, false, {}, Format::TEXT),
              "ROM 30 -> 30 bytes (0, 0.0%), RAM 2 -> 2 bytes (0, 0.0%)\n\nno module changed\n");
}

TEST(SizeTables, BudgetsInBytesOrPercentOfTheRegion) {
    EXPECT_FALSE(parse_budget("FLASH"));
    EXPECT_FALSE(parse_budget("FLASH:"));
    EXPECT_FALSE(parse_budget(":10"));
    EXPECT_FALSE(parse_budget("FLASH:101%"));
    EXPECT_FALSE(parse_budget("FLASH:1k"));
    EXPECT_FALSE(parse_budget("FLASH:0x"));
    EXPECT_FALSE(parse_budget("FLASH:-1"));
    const LinkReport report = read_link_report(REPORT);
    const std::vector<BudgetCheck> checks =
        check_budgets(report, {*parse_budget("FLASH:29"), *parse_budget("FLASH:0x1E"), *parse_budget("FLASH:29.9%"),
                               *parse_budget("ZERO_PAGE:1%")});
    ASSERT_EQ(checks.size(), 4u);
    EXPECT_TRUE(checks[0].breached());
    EXPECT_FALSE(checks[1].breached());
    EXPECT_EQ(checks[2].limit, 29);  // rounded down
    EXPECT_TRUE(checks[2].breached());
    EXPECT_EQ(checks[3].limit, 2);
    EXPECT_FALSE(checks[3].breached());
    EXPECT_THROW(check_budgets(report, {*parse_budget("flash:10")}), ReportError);
}

}  // namespace
}  // namespace orvsize
