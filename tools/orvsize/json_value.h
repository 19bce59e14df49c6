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
    // An object's members in order: their names, and their values at the same places.
    std::vector<std::string> names;
    std::vector<JsonValue> values;

    // The member of that name, or null when there is none (or this is no object).
    const JsonValue* find(std::string_view name) const;
    bool is_null() const { return kind == Kind::NUL; }
};

class JsonError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Takes the elements of the top-level object's arrays one at a time, so
// that a report of a hundred thousand rows is never held whole.
class JsonElementSink {
public:
    virtual ~JsonElementSink() = default;
    // One element of the array that is the top-level member `array`.
    virtual void element(std::string_view array, const JsonValue& value) = 0;
};

// Parses one JSON text; throws JsonError naming the offset of a fault. When
// `wanted` is given, only those members of the top-level object are kept:
// the others are checked as JSON and passed over (a big report's globals).
// With `elements`, the top-level object's arrays stay empty and their
// elements go to it instead.
JsonValue parse_json(std::string_view text, const std::vector<std::string_view>* wanted = nullptr,
                     JsonElementSink* elements = nullptr);

}  // namespace orvsize
