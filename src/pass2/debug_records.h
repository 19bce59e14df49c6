#pragma once
#include <cstdint>

#include "format/image_cursor.h"

namespace orv {

struct LinkContext;

// The items of one module's debug records, in record order. The reader hands
// every item to a sink: the symbol file's local part is one sink, the table
// of functions and source lines (debug_tables.h) another. Unit numbers are
// the link's (the module's unit base added), function numbers the link's
// too (the module's numbers continued after the modules before it).
class DebugRecordSink {
public:
    virtual ~DebugRecordSink() = default;

    virtual void local_labels(uint32_t /*unit*/) {}
    virtual void local_symbols() {}
    virtual void named_value(const char* /*name*/, uint32_t /*value*/) {}  // of either list
    virtual void local_bits() {}
    virtual void bit_entry(const char* /*name*/, unsigned /*bit*/, uint32_t /*address*/) {}
    virtual void function(uint32_t /*number*/, const char* /*name*/, uint32_t /*unit*/, uint32_t /*start*/,
                          uint32_t /*end*/) {}
    virtual void calls(uint32_t /*function*/) {}
    virtual void call_entry(uint32_t /*value*/, uint32_t /*count*/) {}
    virtual void source_lines(uint32_t /*function*/) {}  // the record's tag
    virtual void source_file(uint32_t /*function*/, const char* /*name*/) {}  // each block
    virtual void line_entry(uint32_t /*line*/, uint32_t /*address*/) {}
    virtual void language(const char* /*name*/) {}
    virtual void pointer(unsigned /*length*/) {}
};

// Reads one module's debug records from `stream`, the first tag already in
// next_tag, up to and including its end tag. A damaged record is internal
// error 6 with its point ("9", "10", "11", "34.5", "35").
void read_debug_records(LinkContext& ctx, ImageCursor& stream, DebugRecordSink& sink);

// Hands every item to two sinks, the first one first.
class BothSinks : public DebugRecordSink {
public:
    BothSinks(DebugRecordSink& first, DebugRecordSink& second) : a_(first), b_(second) {}
    void local_labels(uint32_t unit) override {
        a_.local_labels(unit);
        b_.local_labels(unit);
    }
    void local_symbols() override {
        a_.local_symbols();
        b_.local_symbols();
    }
    void named_value(const char* name, uint32_t value) override {
        a_.named_value(name, value);
        b_.named_value(name, value);
    }
    void local_bits() override {
        a_.local_bits();
        b_.local_bits();
    }
    void bit_entry(const char* name, unsigned bit, uint32_t address) override {
        a_.bit_entry(name, bit, address);
        b_.bit_entry(name, bit, address);
    }
    void function(uint32_t number, const char* name, uint32_t unit, uint32_t start, uint32_t end) override {
        a_.function(number, name, unit, start, end);
        b_.function(number, name, unit, start, end);
    }
    void calls(uint32_t function) override {
        a_.calls(function);
        b_.calls(function);
    }
    void call_entry(uint32_t value, uint32_t count) override {
        a_.call_entry(value, count);
        b_.call_entry(value, count);
    }
    void source_lines(uint32_t function) override {
        a_.source_lines(function);
        b_.source_lines(function);
    }
    void source_file(uint32_t function, const char* name) override {
        a_.source_file(function, name);
        b_.source_file(function, name);
    }
    void line_entry(uint32_t line, uint32_t address) override {
        a_.line_entry(line, address);
        b_.line_entry(line, address);
    }
    void language(const char* name) override {
        a_.language(name);
        b_.language(name);
    }
    void pointer(unsigned length) override {
        a_.pointer(length);
        b_.pointer(length);
    }

private:
    DebugRecordSink& a_;
    DebugRecordSink& b_;
};

}  // namespace orv
