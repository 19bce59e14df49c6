#include "output/image_files.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "output/flash_image.h"

namespace orv {
namespace {

bool held(ImageByte kind) { return kind != ImageByte::GAP; }

void close_image_file(std::unique_ptr<TextOutput>& file) {
    const bool closed = file->close();
    file.reset();
    if (!closed) error_exit(ERR_DISK_FULL);
}

// Appends S-records to one text: type, then count, address, data and
// checksum in hexadecimal (the count covers the address, the data and the
// checksum byte; the checksum is the ones' complement of their sum). Lines
// end in CR LF as in every text output; the whole file goes out in one write.
class SrecText {
public:
    // Room for `bytes` data bytes in full records; more is made as needed.
    explicit SrecText(std::size_t bytes) : text_(bytes * 2 + (bytes / 16 + 4) * LONGEST_RECORD, '\0') {}

    void record(char type, int address_bytes, uint32_t address, const uint8_t* data, std::size_t count) {
        if (text_.size() - used_ < LONGEST_RECORD) text_.resize(text_.size() * 2);
        char* p = text_.data() + used_;
        *p++ = 'S';
        *p++ = type;
        uint32_t sum = uint32_t(address_bytes) + uint32_t(count) + 1u;
        p = put(p, sum);
        for (int i = address_bytes - 1; i >= 0; --i) {
            const uint32_t byte = (address >> (8 * i)) & 0xFFu;
            sum += byte;
            p = put(p, byte);
        }
        for (std::size_t i = 0; i < count; ++i) {
            sum += data[i];
            p = put(p, data[i]);
        }
        p = put(p, ~sum & 0xFFu);
        *p++ = '\r';
        *p++ = '\n';
        used_ = std::size_t(p - text_.data());
    }
    std::string_view text() const { return std::string_view(text_.data(), used_); }

private:
    // "S2", count, three address bytes, 16 data bytes, checksum, CR LF; the
    // header's name is kept as short.
    static constexpr std::size_t LONGEST_RECORD = 2 + 2 * (1 + 3 + 64 + 1) + 2;

    static char* put(char* p, uint32_t byte) {
        static const char DIGITS[] = "0123456789ABCDEF";
        p[0] = DIGITS[byte >> 4];
        p[1] = DIGITS[byte & 0xF];
        return p + 2;
    }

    std::string text_;
    std::size_t used_ = 0;
};

// The header names the file without its directory and extension.
std::string header_name(const std::string& file) {
    const std::size_t slash = file.find_last_of("/\\:");
    std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos && dot != 0) name.resize(dot);
    return name.substr(0, 64);
}

}  // namespace

void write_binary_image(LinkContext& ctx) {
    if (ctx.output.binary_file == nullptr) return;
    const FlashImage& image = *ctx.output.image;
    const AddressRange range = ctx.image.binary_ranged ? ctx.image.binary_range : held_span(image);
    if (range.end >= range.start) {
        const char* bytes = reinterpret_cast<const char*>(image.bytes.data());
        ctx.output.binary_file->write_bytes(
            std::string_view(bytes + range.start, std::size_t(range.end - range.start + 1)));
    }
    close_image_file(ctx.output.binary_file);
}

void write_srec_file(LinkContext& ctx) {
    if (ctx.output.srec_file == nullptr) return;
    const FlashImage& image = *ctx.output.image;
    const AddressRange span = held_span(image);
    const char data_type = span.end > 0xFFFF ? '2' : '1';
    const int address_bytes = span.end > 0xFFFF ? 3 : 2;

    SrecText srec(std::size_t(std::max<int64_t>(span.end - span.start + 1, 0)));
    const std::string name = header_name(ctx.image.srec_file);
    srec.record('0', 2, 0, reinterpret_cast<const uint8_t*>(name.data()), name.size());
    for (int64_t block = span.start & ~int64_t(15); block <= span.end; block += 16) {
        // The runs of held bytes within one 16-byte block.
        for (int64_t address = block; address < block + 16 && address <= span.end;) {
            if (!held(image.kinds[std::size_t(address)])) {
                ++address;
                continue;
            }
            const int64_t first = address;
            while (address < block + 16 && held(image.kinds[std::size_t(address)])) ++address;
            srec.record(data_type, address_bytes, uint32_t(first), image.bytes.data() + first,
                        std::size_t(address - first));
        }
    }
    srec.record(data_type == '2' ? '8' : '9', address_bytes, 0, nullptr, 0);
    ctx.output.srec_file->write_bytes(srec.text());
    close_image_file(ctx.output.srec_file);
}

}  // namespace orv
