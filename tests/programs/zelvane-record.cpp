// A stand-in for a program on the CD: appends what it was started with (command line,
// current directory, show-window start-up fields) to the file named by the environment
// variable ZELVANE_RECORD_FILE, one block of three lines per start.
#include <windows.h>

#include <string>

#include "owner.h"

int main()
{
    char file[MAX_PATH] = "";
    if (GetEnvironmentVariableA("ZELVANE_RECORD_FILE", file, MAX_PATH) == 0)
        return 2;
    char cwd[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, cwd);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    std::string block = std::string("cmdline=") + GetCommandLineA() + "\ncwd=" + cwd +
                        "\nshow=" + std::to_string(startup.dwFlags & STARTF_USESHOWWINDOW) + "," +
                        std::to_string(startup.wShowWindow) + "\n";
    owner::unique_file out(CreateFileA(file, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out)
        return 3;
    DWORD written = 0;
    WriteFile(out.get(), block.data(), static_cast<DWORD>(block.size()), &written, nullptr);
    return 0;
}
