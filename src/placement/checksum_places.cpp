#include "placement/checksum_places.h"

#include "base/diagnostics.h"
#include "base/link_context.h"
#include "command/image_options.h"
#include "pass1/unit_place.h"

namespace orv {

void place_checksums(LinkContext& ctx) {
    bool any_label = false;
    for (ChecksumRequest& checksum : ctx.image.checksums) {
        if (checksum.place_label.empty()) continue;
        any_label = true;
        const SymbolEntry* entry = ctx.symbols.find_symbol(checksum.place_label);
        if (entry == nullptr || entry->kind != SYM_LABEL) {
            error_exit(ERR_IMAGE_OPTION,
                       "\"--checksum=" + checksum.text + "\": " + checksum.place_label + " is no global label");
        }
        checksum.place = int64_t(uint32_t(entry->value));
        const std::size_t unit_no = std::size_t(entry->unit_no);
        if (unit_no < ctx.sections.unit_table.size() && ctx.sections.unit_table[unit_no] != nullptr) {
            checksum.label_place = unit_place(*ctx.sections.unit_table[unit_no], uint32_t(entry->value));
        }
    }
    if (any_label) check_checksum_rules(ctx, RuleStage::PLACEMENT);
}

}  // namespace orv
