// What the run-time's source files share among themselves.
#pragma once

#include <string>
#include <vector>

namespace qurdex {

// Writes text to standard error when the process has one, and to the debugger.
void report(const std::string &text);

// The names a file name stands for, in order: the name itself, or for $NAME\REST
// (or $NAME/REST) REST in each directory listed in the process variable NAME.
std::vector<std::string> candidates(const std::string &name);

} // namespace qurdex
