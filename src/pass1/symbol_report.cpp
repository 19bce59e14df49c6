#include "pass1/symbol_report.h"

#include "driver/link_context.h"

namespace orv {

void report_symbol_errors(LinkContext&) {}

}  // namespace orv
