#pragma once
#include <cstdint>
#include <string_view>
#include <vector>

#include "report/report_file.h"
#include "report/text_buffer.h"

namespace orv {

// Builds a JSON text in the order its members are written, one member or
// element to a line, except in containers opened as one-liners, which are
// written without blanks (a big link has tens of thousands of them).
class JsonWriter {
public:
    // With a file, the text goes to it in large pieces as it grows; `finish` writes the rest.
    explicit JsonWriter(ReportFile* file = nullptr) : text_(file) {}
    void finish() { text_.flush(); }

    void begin_object(bool one_line = false) { open('{', one_line); }
    void end_object() { close('}'); }
    void begin_array(bool one_line = false) { open('[', one_line); }
    void end_array() { close(']'); }

    // The name of the object member whose value comes next.
    void key(std::string_view name);

    void value(std::string_view text);
    void value(const char* text);  // null writes null
    void value(int64_t number);
    void value(int number) { value(int64_t(number)); }
    void value(bool flag);
    void null();

    // Shorthands for a member with its value.
    template <typename T>
    void member(std::string_view name, T v) {
        key(name);
        value(v);
    }

    std::string_view text() const { return text_.text(); }

private:
    friend class JsonRow;
    struct Level {
        bool one_line;
        bool empty;
    };
    void open(char bracket, bool one_line);
    void close(char bracket);
    void element_start() {
        if (after_key_) {
            after_key_ = false;
        } else if (!levels_.empty()) {
            separate();
        }
    }
    void separate();  // the comma and line break before an element
    void append_string(std::string_view text);
    void append_string(const char* text);  // a name ending in a NUL byte

    TextBuffer text_;
    std::vector<Level> levels_;
    bool after_key_ = false;
};

// One element of a long array, an object on its line without blanks, written
// straight into the text: a big link has hundreds of thousands of them.
//   JsonRow(json).field("name", name).field("value", 3);
// The object is closed when the row goes out of scope.
class JsonRow {
public:
    explicit JsonRow(JsonWriter& json) : json_(json) {
        json.element_start();
        json.text_.put('{');
    }
    ~JsonRow() { json_.text_.put('}'); }
    JsonRow(const JsonRow&) = delete;
    JsonRow& operator=(const JsonRow&) = delete;

    // Member names are the report's own plain words, given as literals.
    template <std::size_t N>
    JsonRow& field(const char (&name)[N], std::string_view text) {
        key(name, 0);
        json_.append_string(text);
        return *this;
    }
    template <std::size_t N>
    JsonRow& field(const char (&name)[N], const char* text) {  // null writes null
        if (text == nullptr) {
            char* at = key(name, 4);
            std::memcpy(at, "null", 4);
            json_.text_.commit(at + 4);
            return *this;
        }
        key(name, 0);
        json_.append_string(text);
        return *this;
    }
    template <std::size_t N>
    JsonRow& field(const char (&name)[N], int64_t number) {
        json_.text_.commit(put_decimal(key(name, 21), number));
        return *this;
    }
    template <std::size_t N>
    JsonRow& field(const char (&name)[N], int number) {
        return field(name, int64_t(number));
    }
    template <std::size_t N>
    JsonRow& field(const char (&name)[N], bool flag) {
        char* at = key(name, 5);
        std::memcpy(at, flag ? "true" : "false", 5);
        json_.text_.commit(at + (flag ? 4 : 5));
        return *this;
    }

private:
    // Writes `"name":` (after a comma from the second member on) and returns
    // where the value goes, with room for `value_room` characters.
    template <std::size_t N>
    char* key(const char (&name)[N], std::size_t value_room) {
        char* at = json_.text_.room(N + 4 + value_room);
        *at = ',';
        at += first_ ? 0 : 1;
        first_ = false;
        *at++ = '"';
        std::memcpy(at, name, N - 1);
        at += N - 1;
        *at++ = '"';
        *at++ = ':';
        json_.text_.commit(at);
        return at;
    }

    JsonWriter& json_;
    bool first_ = true;
};

}  // namespace orv
