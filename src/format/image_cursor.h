#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace orv {

// A read position in one input image: the byte source of every object and
// library reader. It never reads outside its image. Like a host file, it may
// be positioned beyond the end; every read there answers END, so a reader
// meets the end of the data exactly where it would have in the file.
class ImageCursor {
public:
    static constexpr int END = -1;

    ImageCursor() = default;
    explicit ImageCursor(std::string_view image) : data_(image.data()), size_(image.size()) {}

    // A cursor over an image that lives until the link ends (an input
    // image of the link): what is read through it may be kept as views
    // into the image instead of copies.
    static ImageCursor over_kept_image(std::string_view image) {
        ImageCursor cursor(image);
        cursor.kept_ = true;
        return cursor;
    }
    bool image_kept() const { return kept_; }

    // The next byte (0 to 255), or END at the end of the image.
    int get() {
        if (pos_ < size_) return static_cast<unsigned char>(data_[pos_++]);
        ended_ = true;
        return END;
    }

    // Offset of the next byte from the start of the image.
    long tell() const { return long(pos_); }

    // True when a read has met the end of the image since the last seek.
    bool ended() const { return ended_; }

    // Bytes in the whole image, and its first byte.
    std::size_t size() const { return size_; }
    const char* data() const { return data_; }

    // Absolute and relative positioning; false for a position before the
    // start, which a host file refuses as well.
    bool seek(long offset) {
        if (offset < 0) return false;
        pos_ = std::size_t(offset);
        ended_ = false;
        return true;
    }
    bool skip(long delta) {
        if (delta < 0 && std::size_t(-(delta + 1)) >= pos_) return false;
        pos_ += std::size_t(delta);
        ended_ = false;
        return true;
    }

    // A big-endian unsigned number of 1 to 4 bytes; false when the image ends
    // inside it.
    bool number(int width, uint32_t& value) {
        if (pos_ > size_ || size_ - pos_ < std::size_t(width)) {
            pos_ = size_;
            ended_ = true;
            return false;
        }
        uint32_t result = 0;
        for (int i = 0; i < width; ++i) result = (result << 8) | static_cast<unsigned char>(data_[pos_++]);
        value = result;
        return true;
    }

    // A zero-terminated name of at most `limit` characters, as a view into
    // the image: its zero byte follows the view, so the view's data is a C
    // string for as long as the image lives. False, with the position
    // unchanged, for a longer name or one the image ends inside; `name`
    // then reads it.
    bool name_view(std::size_t limit, std::string_view& text) {
        const std::size_t start = pos_;
        const bool ended = ended_;
        std::string_view seen;
        if (!name(seen) || seen.size() > limit) {
            pos_ = start;
            ended_ = ended;
            return false;
        }
        text = seen;
        return true;
    }

    // A zero-terminated name: up to `limit` characters are copied into
    // `buffer` and terminated, the rest is passed over. `kept` is the number
    // copied; false when the image ends before the zero byte.
    bool name(char* buffer, std::size_t limit, std::size_t& kept) {
        std::size_t rest = pos_ < size_ ? size_ - pos_ : 0;
        const char* start = data_ + (rest != 0 ? pos_ : 0);
        const void* zero = rest != 0 ? std::memchr(start, 0, rest) : nullptr;
        std::size_t length = zero != nullptr ? std::size_t(static_cast<const char*>(zero) - start) : rest;
        kept = length < limit ? length : limit;
        if (kept != 0) std::memcpy(buffer, start, kept);
        buffer[kept] = '\0';
        if (zero == nullptr) {
            pos_ = size_ > pos_ ? size_ : pos_;
            ended_ = true;
            return false;
        }
        pos_ += length + 1;
        return true;
    }

    // A zero-terminated name seen in place, without its zero byte; false
    // when the image ends before the zero byte.
    bool name(std::string_view& text) {
        std::size_t rest = pos_ < size_ ? size_ - pos_ : 0;
        const char* start = data_ + (rest != 0 ? pos_ : 0);
        const void* zero = rest != 0 ? std::memchr(start, 0, rest) : nullptr;
        if (zero == nullptr) {
            text = std::string_view(start, rest);
            pos_ = size_ > pos_ ? size_ : pos_;
            ended_ = true;
            return false;
        }
        text = std::string_view(start, std::size_t(static_cast<const char*>(zero) - start));
        pos_ += text.size() + 1;
        return true;
    }

private:
    const char* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t pos_ = 0;
    bool ended_ = false;
    bool kept_ = false;
};

}  // namespace orv
