// ABSPATH: a path made absolute, with "." and ".." resolved, in upper case.
#pragma once

#include "abspath_resolve.h"

namespace abspath {

// resolve with the process's current drive and, for a relative input, the current
// directory of its drive, read on that drive.
void resolve_in_process(AbsPath &storage, const char *input, char *output);

} // namespace abspath
