// Fixed-width text fields: space-padded, a text in one ends at its first space or NUL.
// Every scan stops at the field's width.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace frame {

// Length of the text in a field: up to its first space or NUL, at most width.
inline size_t field_length(const char *field, size_t width)
{
    size_t length = 0;
    while (length < width && field[length] != ' ' && field[length] != '\0')
        ++length;
    return length;
}

// The text of a field as a NUL-ended string, for routines that read up to a space or NUL.
inline std::string field_text(const char *field, size_t width)
{
    return std::string(field, field_length(field, width));
}

// Copies text into a field, cut to its width, padded with spaces.
inline void copy_padded(char *field, size_t width, std::string_view text)
{
    size_t length = std::min(text.size(), width);
    std::memcpy(field, text.data(), length);
    std::memset(field + length, ' ', width - length);
}

inline bool field_is_blank(const char *field, size_t width)
{
    return std::all_of(field, field + width, [](char c) { return c == ' '; });
}

inline char upper_char(char character)
{
    return (character >= 'a' && character <= 'z') ? static_cast<char>(character - 'a' + 'A')
                                                  : character;
}

// The letters a to z of text in upper case; other bytes as they are.
inline std::string upper_text(std::string text)
{
    for (char &c : text)
        c = upper_char(c);
    return text;
}

// The separators of path names: "/" counts as one wherever names are split.
inline bool is_path_separator(char character) { return character == '\\' || character == '/'; }

} // namespace frame
