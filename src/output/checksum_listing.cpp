#include "output/checksum_listing.h"

#include "base/link_context.h"
#include "base/text_helpers.h"

namespace orv {

void list_checksums(const LinkContext& ctx, TextOutput& map) {
    const std::vector<ChecksumRequest>& checksums = ctx.image.checksums;
    const std::vector<uint32_t>& values = ctx.output.image_results.checksum_values;
    if (checksums.empty() || values.size() != checksums.size()) return;
    const int digits = ctx.options.bank_mode ? 5 : 4;
    const auto address = [digits](int64_t value) { return hex_text(uint64_t(value), digits); };
    map.print("\nCHECKSUM MODEL    RANGE%*s  PLACE%*s  ORDER  VALUE\n\n", 2 * digits - 4, "", 2 * digits - 4, "");
    for (std::size_t i = 0; i < checksums.size(); ++i) {
        const ChecksumRequest& checksum = checksums[i];
        const AddressRange bytes = checksum.bytes();
        const std::string range = address(checksum.range.start) + "-" + address(checksum.range.end);
        const std::string place = address(bytes.start) + "-" + address(bytes.end);
        map.print("%-17s %s  %s  %s   %0*lX", checksum.model_name.c_str(), range.c_str(), place.c_str(),
                  checksum.big_endian ? "HIGH" : "LOW ", checksum.model.value_bytes() * 2, (unsigned long)values[i]);
        if (!checksum.place_label.empty()) map.print("  (%s)", checksum.place_label.c_str());
        map.print("\n");
    }
}

}  // namespace orv
