// Calls JOINENV by name in a process of its own and writes what it saw.
// joinenv_child OUTPUT COUNT [TEXTS]: TEXTS is a file of setting texts separated by
// the byte 0x01. Writes OUTPUT.base (the process environment block) and
// OUTPUT.result (the block JOINENV returned). Exit code 0, or 2 when JOINENV
// returned no block.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "entries.h"
#include "env_block.h"
#include "program.h"

namespace {

void write(const std::string &path, const std::string &bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 3)
        return 1;
    std::string output = argv[1];
    uint32_t count = static_cast<uint32_t>(std::strtoul(argv[2], nullptr, 10));
    std::vector<std::string> texts;
    if (argc > 3) {
        std::ifstream in(argv[3], std::ios::binary);
        std::stringstream all;
        all << in.rdbuf();
        std::string text;
        while (std::getline(all, text, '\x01'))
            texts.push_back(text);
    }
    texts.resize(9);

    frame::register_entries();
    using Joinenv = decltype(&JOINENV);
    auto join = reinterpret_cast<Joinenv>(qx_resolve("JOINENV"));
    const char *result = join(&count, texts[0].c_str(), texts[1].c_str(), texts[2].c_str(),
                              texts[3].c_str(), texts[4].c_str(), texts[5].c_str(),
                              texts[6].c_str(), texts[7].c_str(), texts[8].c_str());
    const char *base = GetEnvironmentStrings();
    write(output + ".base", test_support::env_block_bytes(base));
    FreeEnvironmentStringsA(const_cast<char *>(base));
    if (result == nullptr)
        return 2;
    write(output + ".result", test_support::env_block_bytes(result));
    return 0;
}
