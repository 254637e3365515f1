// LIBFILE: builds a run-time library file from files, and lists one.
//   LIBFILE build LIBRARY FILE...   each file becomes a member named after it
//   LIBFILE list LIBRARY            one line per member: name and size
// Exit code 0 on success, 1 for a bad command line, 2 for a file that cannot be
// read or written or is not a library file.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "library_format.h"

namespace {

int usage()
{
    std::fputs("usage: LIBFILE build LIBRARY FILE...\n"
               "       LIBFILE list LIBRARY\n",
               stderr);
    return 1;
}

std::string base_name(const std::string &path)
{
    size_t cut = path.find_last_of("\\/:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

int build(const std::string &library, const std::vector<std::string> &files)
{
    std::vector<library_format::Input> inputs;
    for (const std::string &file : files) {
        std::ifstream in(file, std::ios::binary);
        if (!in) {
            std::fprintf(stderr, "LIBFILE: cannot read %s\n", file.c_str());
            return 2;
        }
        std::ostringstream bytes;
        bytes << in.rdbuf();
        inputs.push_back({base_name(file), bytes.str()});
    }
    std::string error;
    if (!library_format::write_library(library, inputs, error)) {
        std::fprintf(stderr, "LIBFILE: %s\n", error.c_str());
        return 2;
    }
    return 0;
}

int list(const std::string &library)
{
    std::vector<library_format::Member> members;
    if (!library_format::read_directory(library, members)) {
        std::fprintf(stderr, "LIBFILE: %s is not a library file\n", library.c_str());
        return 2;
    }
    for (const library_format::Member &member : members)
        std::printf("%-31s %10lu\n", member.name.c_str(), static_cast<unsigned long>(member.size));
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return usage();
    std::string command = argv[1];
    if (command == "build" && argc >= 4)
        return build(argv[2], std::vector<std::string>(argv + 3, argv + argc));
    if (command == "list" && argc == 3)
        return list(argv[2]);
    return usage();
}
