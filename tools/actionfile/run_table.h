// Running an action table in this process, entry by entry, through the controller's
// in-process entry, and printing what each entry did.
#pragma once

#include "action_text.h"

namespace actionfile {

// Runs every entry of file with this tool's own window as the window of the output
// lines and of every completion notice asked for. Prints per entry a header line, the
// output lines as they arrive and a closing line; quiet prints the closing lines only.
// Returns 0 when every entry that ran ended with exit code 0, else 1.
int run_table(const ActionFile &file, bool quiet);

} // namespace actionfile
