#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "report/report_file.h"

namespace orv {

// The text of a report on its way to its file. Appends copy into one large
// block, which goes to the file in a single write whenever the next piece
// would not fit: a big link has hundreds of thousands of small pieces.
// Without a file the block grows and holds the whole text.
class TextBuffer {
public:
    explicit TextBuffer(ReportFile* file = nullptr) : file_(file) {}

    void append(const char* data, std::size_t length) {
        if (length > std::size_t(end_ - next_)) make_room(length);
        std::memcpy(next_, data, length);
        next_ += length;
    }
    void append(std::string_view text) { append(text.data(), text.size()); }
    void put(char c) {
        if (next_ == end_) make_room(1);
        *next_++ = c;
    }
    // Room for `length` characters at the returned place; `commit` the end
    // of what was written there.
    char* room(std::size_t length) {
        if (length > std::size_t(end_ - next_)) make_room(length);
        return next_;
    }
    void commit(char* end) { next_ = end; }

    // Hands what is held to the file.
    void flush() {
        if (file_ == nullptr || next_ == start_.get()) return;
        file_->write(std::string_view(start_.get(), std::size_t(next_ - start_.get())));
        next_ = start_.get();
    }

    // What is held, not yet handed to the file.
    std::string_view text() const { return std::string_view(start_.get(), std::size_t(next_ - start_.get())); }

private:
    void make_room(std::size_t length) {
        flush();
        const std::size_t held = std::size_t(next_ - start_.get());
        const std::size_t capacity = std::size_t(end_ - start_.get());
        if (length <= capacity - held) return;
        std::size_t grown = capacity == 0 ? BLOCK_SIZE : 2 * capacity;
        while (grown - held < length) grown *= 2;
        std::unique_ptr<char[]> block(new char[grown]);
        if (held > 0) std::memcpy(block.get(), start_.get(), held);
        start_ = std::move(block);
        next_ = start_.get() + held;
        end_ = start_.get() + grown;
    }

    static constexpr std::size_t BLOCK_SIZE = std::size_t(1) << 18;
    ReportFile* file_;
    std::unique_ptr<char[]> start_;
    char* next_ = nullptr;
    char* end_ = nullptr;
};

// Decimal digits of a number, written at `at`; returns the end.
inline char* put_decimal(char* at, int64_t number) {
    uint64_t rest = number < 0 ? 0 - static_cast<uint64_t>(number) : static_cast<uint64_t>(number);
    if (number < 0) *at++ = '-';
    char digits[20];
    int length = 0;
    do {
        digits[length++] = char('0' + rest % 10);
        rest /= 10;
    } while (rest != 0);
    while (length > 0) *at++ = digits[--length];
    return at;
}

// A number in hexadecimal with at least `digits` digits (16 at most), at `at`.
inline char* put_hex(char* at, uint64_t value, int digits) {
    static const char DIGITS[] = "0123456789ABCDEF";
    if (digits > 16) digits = 16;
    int length = 1;
    while (length < 16 && (value >> (4 * length)) != 0) ++length;
    if (length < digits) length = digits;
    for (int i = length - 1; i >= 0; --i) at[length - 1 - i] = DIGITS[(value >> (4 * i)) & 0xF];
    return at + length;
}

}  // namespace orv
