#include "report/image_report.h"

#include "base/link_context.h"
#include "report/json_writer.h"

namespace orv {

void write_image_members(JsonWriter& json, const LinkContext& ctx) {
    const ImageResults& results = ctx.output.image_results;
    json.key("fill");
    if (ctx.image.fill) {
        json.begin_object();
        json.member("value", int(ctx.image.fill_value));
        json.member("start", results.fill_start);
        json.member("end", results.fill_end);
        json.end_object();
    } else {
        json.null();
    }
    json.key("checksums");
    json.begin_array();
    const std::vector<ChecksumRequest>& checksums = ctx.image.checksums;
    for (std::size_t i = 0; i < checksums.size(); ++i) {
        const ChecksumRequest& checksum = checksums[i];
        JsonRow row(json);
        row.field("model", std::string_view(checksum.model_name))
            .field("start", checksum.range.start)
            .field("end", checksum.range.end)
            .field("place", checksum.place)
            .field("label", checksum.place_label.empty() ? nullptr : checksum.place_label.c_str())
            .field("bytes", checksum.model.value_bytes())
            .field("byte_order", checksum.big_endian ? "high_first" : "low_first");
        if (i < results.checksum_values.size()) {
            row.field("value", int64_t(results.checksum_values[i]));
        } else {
            row.field("value", static_cast<const char*>(nullptr));
        }
    }
    json.end_array();
}

}  // namespace orv
