// Fixed-width text fields: a text ends at its first space or NUL, or at the
// field's width; writing one pads it with spaces. Every scan stays in the field.
#pragma once

#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace text_field {

// Length of the text at the start of a field of width bytes.
inline size_t length(const char *field, size_t width)
{
    size_t n = 0;
    while (n < width && field[n] != ' ' && field[n] != '\0')
        ++n;
    return n;
}

inline std::string text(const char *field, size_t width) { return std::string(field, length(field, width)); }

// Puts text into a field of width bytes, cut to it and padded with spaces.
inline void put(char *field, size_t width, std::string_view text)
{
    size_t n = text.size() < width ? text.size() : width;
    std::memcpy(field, text.data(), n);
    std::memset(field + n, ' ', width - n);
}

inline char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

inline std::string upper(std::string text)
{
    for (char &c : text)
        c = upper(c);
    return text;
}

// The path separators of file names; "/" counts as one wherever names are split.
inline bool is_separator(char c) { return c == '\\' || c == '/'; }

} // namespace text_field
