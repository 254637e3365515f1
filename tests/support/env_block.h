// Environment blocks (entries NAME=VALUE, each ended by a zero byte, and one more
// zero byte at the end) made and read by the tests.
#pragma once

#include <string>
#include <vector>

namespace test_support {

// The block of entries; no entries give two zero bytes.
std::string env_block(const std::vector<std::string> &entries);
// The entries of a block, up to its empty entry.
std::vector<std::string> env_entries(const char *block);
// The bytes of a block, its final zero byte included.
std::string env_block_bytes(const char *block);

} // namespace test_support
