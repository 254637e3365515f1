// A sample program for the demo: a few lines on standard output and standard error,
// then exit code 3.
#include <cstdio>

int main()
{
    std::printf("sample child: first line on standard output\n");
    std::fflush(stdout);
    std::fprintf(stderr, "sample child: a line on standard error\n");
    std::fflush(stderr);
    std::printf("sample child: last line, without CR LF");
    return 3;
}
