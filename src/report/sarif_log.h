#pragma once

namespace orv {

struct LinkContext;

// With --sarif=FILE: every message of the run as a SARIF 2.1.0 log, for code
// scanning services and IDEs. The tool with a rule per message number, one
// result per message with its level, text and places, and the invocation
// with the run's exit status. Written once the run has ended, whatever the
// end; a file that cannot be created is error 15.
void write_sarif_log(LinkContext& ctx, int exit_status);

}  // namespace orv
