#include "env_block.h"

#include <cstring>

namespace test_support {

std::string env_block(const std::vector<std::string> &entries)
{
    std::string block;
    for (const std::string &e : entries) {
        block += e;
        block += '\0';
    }
    if (entries.empty())
        block += '\0';
    return block + '\0';
}

std::vector<std::string> env_entries(const char *block)
{
    std::vector<std::string> entries;
    for (const char *p = block; *p != '\0'; p += std::strlen(p) + 1)
        entries.emplace_back(p);
    return entries;
}

std::string env_block_bytes(const char *block)
{
    const char *p = block;
    while (*p != '\0')
        p += std::strlen(p) + 1;
    return std::string(block, static_cast<size_t>(p - block) + 1);
}

} // namespace test_support
