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
    // Room for the records of `bytes` data bytes in full records.
    explicit SrecText(std::size_t bytes) { text_.reserve(bytes * 2 + (bytes / 16 + 2) * 16); }

    void record(char type, int address_bytes, uint32_t address, const uint8_t* data, std::size_t count) {
        text_ += 'S';
        text_ += type;
        uint32_t sum = 0;
        put(uint32_t(address_bytes) + uint32_t(count) + 1u, sum);
        for (int i = address_bytes - 1; i >= 0; --i) put((address >> (8 * i)) & 0xFFu, sum);
        for (std::size_t i = 0; i < count; ++i) put(data[i], sum);
        put(~sum & 0xFFu, sum);
        text_ += "\r\n";
    }
    const std::string& text() const { return text_; }

private:
    void put(uint32_t byte, uint32_t& sum) {
        static const char DIGITS[] = "0123456789ABCDEF";
        const char digits[2] = {DIGITS[byte >> 4], DIGITS[byte & 0xF]};
        text_.append(digits, 2);
        sum += byte;
    }

    std::string text_;
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
