// Reading the process's command-line tail and show command for WinMain.
#include "process_entry.h"

namespace frame {

namespace {
bool blank(char character) { return static_cast<unsigned char>(character) <= ' '; }
} // namespace

const char *command_line_tail(const char *commandLine)
{
    const char *tail = commandLine;
    if (*tail == '"') {
        ++tail;
        while (*tail != '\0' && *tail != '"')
            ++tail;
        if (*tail == '"')
            ++tail;
    } else {
        while (!blank(*tail))
            ++tail;
    }
    while (*tail != '\0' && blank(*tail))
        ++tail;
    return tail;
}

int show_command(const STARTUPINFOA &startup)
{
    return (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
}

} // namespace frame
