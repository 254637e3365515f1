// The launching parent of the console benchmark, built twice: as a console program and
// as a GUI program. It runs a command count times in a folder the way the launch
// routines do (its output on a pipe, its window hidden, waited for), and writes the
// seconds the launches took to its standard output.
//
// launcher COUNT FOLDER COMMAND
#include <windows.h>

#include <cstdio>
#include <cstdlib>

#include "bench_support.h"

int main(int argc, char **argv)
{
    if (argc < 4)
        return 2;
    const int count = std::atoi(argv[1]);
    const double took = bench::seconds([&] {
        for (int i = 0; i < count; ++i)
            bench::plain_run(
                argv[3], argv[2], [](const char *, DWORD) {}, true);
    });
    char text[32];
    const int length = std::snprintf(text, sizeof text, "%.6f\n", took);
    DWORD written = 0;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, static_cast<DWORD>(length), &written, nullptr);
    return 0;
}
