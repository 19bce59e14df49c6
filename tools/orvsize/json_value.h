#pragma once
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A JSON document read whole into values: enough for the link report.
namespace orvsize {

class JsonValue {
public:
    enum class Kind { NUL, BOOL, NUMBER, STRING, ARRAY, OBJECT };

    Kind kind = Kind::NUL;
    bool flag = false;
    double number = 0;
    std::string text;
    std::vector<JsonValue> items;                             // an array's
    std::vector<std::pair<std::string, JsonValue>> members;   // an object's, in order

    // The member of that name, or null when there is none (or this is no object).
    const JsonValue* find(std::string_view name) const;
    bool is_null() const { return kind == Kind::NUL; }
};

class JsonError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Parses one JSON text; throws JsonError naming the offset of a fault.
JsonValue parse_json(std::string_view text);

}  // namespace orvsize
