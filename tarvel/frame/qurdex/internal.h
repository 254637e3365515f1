// What the run-time's source files share among themselves.
#pragma once

#include <cstddef>
#include <string>

namespace qurdex {

// Writes text to standard error when the process has one, and to the debugger.
void report(const std::string &text);

// The text of a field that ends at its first space or NUL, within width bytes.
inline std::string field_text(const char *field, size_t width)
{
    size_t n = 0;
    while (n < width && field[n] != ' ' && field[n] != '\0')
        ++n;
    return std::string(field, n);
}

} // namespace qurdex
