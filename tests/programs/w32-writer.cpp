// Child program for the launch tests, built as a console program and as a GUI program
// (w32-writer-gui). It works through its arguments in order:
//   out TEXT     writes TEXT to standard output (escapes \r \n \\)
//   err TEXT     writes TEXT to standard error
//   repeat N C   writes N copies of the character C to standard output in one write
//   sleep MS     waits MS milliseconds
//   env NAME     writes the value of variable NAME and CR LF to standard output
//   stdin        reads standard input to its end, then writes "stdin N" and CR LF
//   spawn MS     starts itself with "sleep MS", letting it inherit the output pipe
//   report FILE  writes its command line, directory, start-up flags and show state,
//                and process id to FILE, one per line
//   peek HANDLE  writes "peek N" (N bytes waiting) when HANDLE is a readable pipe of
//                this process, else "peek none", and CR LF
//   console      writes "console none" when it has no console, else "console",
//                its window (hidden, shown or none), the number of processes attached
//                to it and its title, and CR LF
//   title TEXT   sets the title of its console
//   ctrl-c       sends Ctrl-C to every process of its console, then waits ten seconds
//                to be ended by it; writes "ctrl-c outlived" when it was not, or
//                "ctrl-c not sent" when it could not send it, and CR LF
//   exit CODE    ends with exit code CODE (decimal or 0x hexadecimal)
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "owner.h"

namespace {

std::string unescape(const char *text)
{
    std::string bytes;
    for (const char *p = text; *p != '\0'; ++p) {
        if (*p != '\\' || p[1] == '\0') {
            bytes += *p;
            continue;
        }
        ++p;
        bytes += *p == 'r' ? '\r' : *p == 'n' ? '\n' : *p;
    }
    return bytes;
}

void write_to(DWORD which, const std::string &bytes)
{
    DWORD written = 0;
    WriteFile(GetStdHandle(which), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
              nullptr);
}

void report(const char *file)
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    GetStartupInfoA(&si);
    char directory[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, directory);
    FILE *out = std::fopen(file, "wb");
    if (out == nullptr)
        return;
    std::fprintf(out, "%s\n%s\n%lu\n%u\n%lu\n", GetCommandLineA(), directory, si.dwFlags,
                 si.wShowWindow, GetCurrentProcessId());
    std::fclose(out);
}

void spawn_sleeper(const char *ms)
{
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string command = std::string("\"") + self + "\" sleep " + ms;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    // The sleeper runs on by itself; nothing here waits for it.
    if (CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si,
                       &pi)) {
        owner::unique_handle thread(pi.hThread);
        owner::unique_handle process(pi.hProcess);
    }
}

std::string console_report()
{
    DWORD processes[16];
    const DWORD attached = GetConsoleProcessList(processes, 16);
    if (attached == 0)
        return "console none\r\n";
    const HWND window = GetConsoleWindow();
    const char *shown = window == nullptr ? "none" : IsWindowVisible(window) ? "shown" : "hidden";
    char title[1024] = {};
    GetConsoleTitleA(title, sizeof title);
    return std::string("console ") + shown + " " + std::to_string(attached) + " " + title + "\r\n";
}

std::string send_ctrl_c()
{
    if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0))
        return "ctrl-c not sent\r\n";
    Sleep(10000);
    return "ctrl-c outlived\r\n";
}

std::string read_stdin_count()
{
    char buffer[256];
    DWORD got = 0, total = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &got, nullptr) &&
           got > 0)
        total += got;
    return "stdin " + std::to_string(total) + "\r\n";
}

} // namespace

int main(int argc, char **argv)
{
    int i = 1;
    while (i < argc) {
        std::string command = argv[i++];
        if (command == "stdin" || command == "console" || command == "ctrl-c") {
            write_to(STD_OUTPUT_HANDLE, command == "stdin"     ? read_stdin_count()
                                        : command == "console" ? console_report()
                                                               : send_ctrl_c());
            continue;
        }
        if (i >= argc)
            break;
        const char *value = argv[i++];
        if (command == "out") {
            write_to(STD_OUTPUT_HANDLE, unescape(value));
        } else if (command == "err") {
            write_to(STD_ERROR_HANDLE, unescape(value));
        } else if (command == "repeat" && i < argc) {
            write_to(STD_OUTPUT_HANDLE,
                     std::string(std::strtoul(value, nullptr, 10), argv[i++][0]));
        } else if (command == "sleep") {
            Sleep(std::strtoul(value, nullptr, 10));
        } else if (command == "title") {
            SetConsoleTitleA(value);
        } else if (command == "env") {
            char buffer[1024] = {};
            GetEnvironmentVariableA(value, buffer, sizeof buffer);
            write_to(STD_OUTPUT_HANDLE, std::string(buffer) + "\r\n");
        } else if (command == "spawn") {
            spawn_sleeper(value);
        } else if (command == "report") {
            report(value);
        } else if (command == "peek") {
            // Whether this process holds a readable pipe under that handle value, and
            // how many bytes wait in it.
            HANDLE pipe =
                reinterpret_cast<HANDLE>(static_cast<uintptr_t>(std::strtoul(value, nullptr, 0)));
            DWORD available = 0;
            bool open = PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr) != 0;
            write_to(STD_OUTPUT_HANDLE,
                     open ? "peek " + std::to_string(available) + "\r\n" : "peek none\r\n");
        } else if (command == "exit") {
            ExitProcess(static_cast<UINT>(std::strtoul(value, nullptr, 0)));
        }
    }
    return 0;
}
