#include "output/image_files.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <vector>

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "pass2/hex_writer.h"

namespace orv {
namespace {

bool held(ImageByte kind) { return kind != ImageByte::GAP; }

// The lowest and highest address the image holds a byte at; end below start
// when it holds none.
AddressRange held_span(const FlashImage& image) {
    const auto first = std::find_if(image.kinds.begin(), image.kinds.end(), held);
    if (first == image.kinds.end()) return {};
    const auto last = std::find_if(image.kinds.rbegin(), image.kinds.rend(), held);
    return {first - image.kinds.begin(), int64_t(image.kinds.size()) - 1 - (last - image.kinds.rbegin())};
}

void close_image_file(std::unique_ptr<TextOutput>& file) {
    const bool closed = file->close();
    file.reset();
    if (!closed) error_exit(ERR_DISK_FULL);
}

// One S-record: type, then count, address, data and checksum in hexadecimal
// (the count covers the address, the data and the checksum byte; the
// checksum is the ones' complement of the sum of those bytes).
class SrecLine {
public:
    SrecLine(char type, int address_bytes, uint32_t address) : address_bytes_(address_bytes), address_(address) {
        text_ = {'S', type};
    }
    void add(uint8_t byte) { data_.push_back(byte); }
    bool empty() const { return data_.empty(); }

    std::string_view finish() {
        uint32_t sum = 0;
        put(uint32_t(address_bytes_ + int(data_.size()) + 1), sum);
        for (int i = address_bytes_ - 1; i >= 0; --i) put((address_ >> (8 * i)) & 0xFF, sum);
        for (uint8_t byte : data_) put(byte, sum);
        put(~sum & 0xFF, sum);
        text_ += '\n';
        return text_;
    }

private:
    void put(uint32_t byte, uint32_t& sum) {
        char digits[2];
        put_hex_digits(digits, 2, byte);
        text_.append(digits, 2);
        sum += byte;
    }

    int address_bytes_;
    uint32_t address_;
    std::string text_;
    std::vector<uint8_t> data_;
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
    TextOutput& file = *ctx.output.srec_file;
    const FlashImage& image = *ctx.output.image;
    const AddressRange span = held_span(image);
    const bool wide = span.end > 0xFFFF;
    const int address_bytes = wide ? 3 : 2;

    SrecLine header('0', 2, 0);
    for (char c : header_name(ctx.image.srec_file)) header.add(uint8_t(c));
    file.write(header.finish());
    for (int64_t block = span.start & ~int64_t(15); block <= span.end; block += 16) {
        // The runs of held bytes within one 16-byte block.
        for (int64_t address = block; address < block + 16 && address <= span.end;) {
            if (!held(image.kinds[std::size_t(address)])) {
                ++address;
                continue;
            }
            SrecLine line(wide ? '2' : '1', address_bytes, uint32_t(address));
            for (; address < block + 16 && held(image.kinds[std::size_t(address)]); ++address) {
                line.add(image.bytes[std::size_t(address)]);
            }
            file.write(line.finish());
        }
    }
    SrecLine end(wide ? '8' : '9', address_bytes, 0);
    file.write(end.finish());
    close_image_file(ctx.output.srec_file);
}

}  // namespace orv
