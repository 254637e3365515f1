// The run-time's library file: one file holding named members.
//
//   header     magic "QXLIB001" (8 bytes), member count (4 bytes, little-endian)
//   directory  one MemberEntry per member, in the order written
//   data       the members' bytes, each where its entry says
//
// A member name is 1 to 31 characters with no path separator, colon or space,
// NUL-padded to 32 bytes; names are unique without regard to case.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace library_format {

#pragma pack(push, 1)
struct Header {
    char magic[8];
    uint32_t memberCount;
};
struct MemberEntry {
    char name[32];
    uint32_t offset; // from the start of the file
    uint32_t size;
};
#pragma pack(pop)

static_assert(sizeof(Header) == 12);
static_assert(offsetof(Header, memberCount) == 8);
static_assert(sizeof(MemberEntry) == 40);
static_assert(offsetof(MemberEntry, offset) == 32);
static_assert(offsetof(MemberEntry, size) == 36);

constexpr char kMagic[8] = {'Q', 'X', 'L', 'I', 'B', '0', '0', '1'};
constexpr size_t kNameMax = 31;

struct Member {
    std::string name;
    uint32_t offset = 0;
    uint32_t size = 0;
};

// True when name can be a member's name.
bool valid_member_name(const std::string &name);

// The members of the library file at path; false (members empty) for a file that
// is missing, cut short, or not a library file, so no entry points outside it.
bool read_directory(const std::string &path, std::vector<Member> &members);

struct Input {
    std::string name;
    std::string bytes;
};
// Writes a library file holding inputs in their order. False, with the reason in
// error and nothing written, for an invalid or repeated name.
bool write_library(const std::string &path, const std::vector<Input> &inputs, std::string &error);

} // namespace library_format
