// A program for the action tests: writes its command line and its current directory
// to probe.txt in its current directory, one per line, prints one line, and ends with
// the exit code given as "exit=N" anywhere on its command line (0 without one).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main()
{
    const char *commandLine = GetCommandLineA();
    char directory[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, directory);
    if (FILE *out = std::fopen("probe.txt", "wb")) {
        std::fprintf(out, "%s\n%s\n", commandLine, directory);
        std::fclose(out);
    }
    const char *exit = std::strstr(commandLine, "exit=");
    int code = exit != nullptr ? std::atoi(exit + 5) : 0;
    std::printf("probe: ends with %d\n", code);
    return code;
}
