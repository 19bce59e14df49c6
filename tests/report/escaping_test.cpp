#include <gtest/gtest.h>

#include <string>

#include "report/json_writer.h"
#include "report/markup.h"
#include "report/xml_text.h"

namespace orv::test {
namespace {

// Names are bytes of no known encoding: quotes, backslashes, control bytes
// and bytes above 0x7F must leave valid JSON and XML behind.
TEST(ReportEscaping, NamesOfAnyBytesStayValidJsonAndXml) {
    struct Case {
        std::string name;
        std::string json;
        std::string xml;
    };
    const Case cases[] = {
        {"main", "\"main\"", "main"},
        {"a\"b\\c", "\"a\\\"b\\\\c\"", "a&quot;b\\c"},
        {"<&>'", "\"<&>'\"", "&lt;&amp;&gt;&#39;"},
        {"tab\there\nx\x01", "\"tab\\there\\nx\\u0001\"", "tab\there\nx?"},
        {"\xE9t\xFF", "\"\\u00E9t\\u00FF\"", "&#xE9;t&#xFF;"},
        // Long names are checked eight bytes at a time: each byte that needs
        // an escape, in the first word, a later word and the tail.
        {"long_name_without_any_escape", "\"long_name_without_any_escape\"", "long_name_without_any_escape"},
        {"abcdefg\\hijklmnop", "\"abcdefg\\\\hijklmnop\"", "abcdefg\\hijklmnop"},
        {"abcdefghij\"klmnopq", "\"abcdefghij\\\"klmnopq\"", "abcdefghij&quot;klmnopq"},
        {"abcdefghijklmnop\x7F", "\"abcdefghijklmnop\\u007F\"", "abcdefghijklmnop\x7F"},
        {"abcdefgh\x1Fxyz", "\"abcdefgh\\u001Fxyz\"", "abcdefgh?xyz"},
        {"abcdefgh\x80", "\"abcdefgh\\u0080\"", "abcdefgh&#x80;"},
        {" !#[]~ !#[]~ !#[]~", "\" !#[]~ !#[]~ !#[]~\"", " !#[]~ !#[]~ !#[]~"},
        {std::string(70, 'x'), "\"" + std::string(70, 'x') + "\"", std::string(70, 'x')},
        {std::string(70, 'x') + "\"", "\"" + std::string(70, 'x') + "\\\"\"", std::string(70, 'x') + "&quot;"},
    };
    for (const Case& c : cases) {
        JsonWriter json;
        json.begin_array(true);
        json.value(std::string_view(c.name));
        json.end_array();
        EXPECT_EQ(json.text(), "[" + c.json + "]\n") << c.name;
        // Rows write names that end in a NUL byte.
        JsonWriter rows;
        rows.begin_array(true);
        JsonRow(rows).field("n", c.name.c_str()).field("z", static_cast<const char*>(nullptr));
        rows.end_array();
        EXPECT_EQ(rows.text(), "[{\"n\":" + c.json + ",\"z\":null}]\n") << c.name;
        EXPECT_EQ(xml_text(c.name), c.xml) << c.name;
        Markup markup;
        markup << "<t>";
        markup.escaped(c.name) << "</t>";
        EXPECT_EQ(markup.text(), "<t>" + c.xml + "</t>") << c.name;
    }
}

// Members keep the order they are written in; one-line containers carry no
// blanks, the others one member to a line; null and booleans are words.
TEST(ReportEscaping, JsonLayout) {
    JsonWriter json;
    json.begin_object();
    json.member("b", int64_t(-1));
    json.key("list");
    json.begin_array();
    json.begin_object(true);
    json.member("z", true);
    json.member("a", static_cast<const char*>(nullptr));
    json.end_object();
    json.end_array();
    json.key("empty");
    json.begin_array();
    json.end_array();
    json.end_object();
    EXPECT_EQ(json.text(), "{\n  \"b\": -1,\n  \"list\": [\n    {\"z\":true,\"a\":null}\n  ],\n  \"empty\": []\n}\n");
}

}  // namespace
}  // namespace orv::test
