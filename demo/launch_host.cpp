// A sample host: starts one program with WAITEXE, so its output lines reach the
// console through the console output host, and then prints the status and the exit
// code that WAITEXE handed back.
//   launch_host PROGRAM [ARGUMENT...]
#include <cstdio>
#include <string>

#include "entries.h"

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: launch_host PROGRAM [ARGUMENT...]\n");
        return 2;
    }
    std::string arguments;
    for (int i = 2; i < argc; ++i) {
        if (i > 2)
            arguments += ' ';
        arguments += argv[i];
    }
    BigEndian32 exitCode{};
    void *environment = nullptr;
    int32_t status = WAITEXE("", argv[1], arguments.c_str(), "", &environment, &exitCode);
    std::printf("WAITEXE status %d, exit code %u\n", static_cast<int>(status),
                static_cast<unsigned>(exitCode.get()));
    return status;
}
