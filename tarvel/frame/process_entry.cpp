// Reading the process's command-line tail and show command for WinMain.
#include "process_entry.h"

namespace frame {

namespace {
bool blank(char c) { return static_cast<unsigned char>(c) <= ' '; }
} // namespace

const char *command_line_tail(const char *commandLine)
{
    const char *p = commandLine;
    if (*p == '"') {
        ++p;
        while (*p != '\0' && *p != '"')
            ++p;
        if (*p == '"')
            ++p;
    } else {
        while (!blank(*p))
            ++p;
    }
    while (*p != '\0' && blank(*p))
        ++p;
    return p;
}

int show_command(const STARTUPINFOA &startup)
{
    return (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
}

} // namespace frame
