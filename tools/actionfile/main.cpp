// actionfile: writes a binary action file from its text description, and shows any
// action file as that text.
//
//   actionfile write DESCRIPTION ACTIONFILE
//   actionfile dump ACTIONFILE
//
// Exit codes: 0 done, 1 a file could not be read or written or its content is not
// valid (the reason goes to standard error), 2 wrong arguments.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>

#include "action_text.h"

namespace {

bool read_all(const char *path, std::string &bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

int usage()
{
    std::cerr << "usage: actionfile write DESCRIPTION ACTIONFILE\n"
                 "       actionfile dump ACTIONFILE\n";
    return 2;
}

int write(const char *descriptionPath, const char *actionPath)
{
    std::string text;
    if (!read_all(descriptionPath, text)) {
        std::cerr << "actionfile: cannot read " << descriptionPath << "\n";
        return 1;
    }
    actionfile::ActionFile file;
    std::string error;
    if (!actionfile::parse(text, file, error)) {
        std::cerr << "actionfile: " << descriptionPath << ": " << error << "\n";
        return 1;
    }
    std::ofstream out(actionPath, std::ios::binary | std::ios::trunc);
    std::string bytes = actionfile::to_bytes(file);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        std::cerr << "actionfile: cannot write " << actionPath << "\n";
        return 1;
    }
    return 0;
}

int dump(const char *actionPath)
{
    std::string bytes;
    if (!read_all(actionPath, bytes)) {
        std::cerr << "actionfile: cannot read " << actionPath << "\n";
        return 1;
    }
    actionfile::ActionFile file;
    std::string error;
    if (!actionfile::from_bytes(bytes, file, error)) {
        std::cerr << "actionfile: " << actionPath << ": " << error << "\n";
        return 1;
    }
    std::cout << actionfile::describe(file);
    return std::cout.flush() ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::string(argv[1]) == "write")
        return write(argv[2], argv[3]);
    if (argc == 3 && std::string(argv[1]) == "dump")
        return dump(argv[2]);
    return usage();
}
