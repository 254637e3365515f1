// The launch command line, built apart from the launch.
#include "command_line.h"

#include <algorithm>
#include <cstring>

bool BuildCommandLine(char (&commandLine)[1024], const char *program, const char *arguments)
{
    const size_t width = sizeof commandLine;
    size_t programLength = program != nullptr ? strnlen(program, width) : 0;
    size_t argumentLength = arguments != nullptr ? strnlen(arguments, width) : 0;
    if (programLength + 1 + argumentLength + 1 > width)
        return false;
    // copy_n, unlike memcpy, is defined for a null text with its count of 0.
    std::copy_n(program, programLength, commandLine);
    commandLine[programLength] = ' ';
    std::copy_n(arguments, argumentLength, commandLine + programLength + 1);
    commandLine[programLength + 1 + argumentLength] = '\0';
    return true;
}
