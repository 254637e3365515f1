// The hand-over programs' command line: the program name, then the pipe's read
// handle as 10 decimal digits.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>

#include "qurdex.h"

// The read handle from the last word of the process command line; false when that
// word is not exactly 10 digits.
inline bool hand_over_read_handle(HANDLE &handle)
{
    std::string commandLine = GetCommandLineA();
    while (!commandLine.empty() && commandLine.back() == ' ')
        commandLine.pop_back();
    size_t blank = commandLine.rfind(' ');
    std::string digits = blank == std::string::npos ? commandLine : commandLine.substr(blank + 1);
    if (digits.size() != 10 || digits.find_first_not_of("0123456789") != std::string::npos)
        return false;
    handle =
        reinterpret_cast<HANDLE>(static_cast<uintptr_t>(qx_text_to_number(digits.c_str(), 10)));
    return true;
}
