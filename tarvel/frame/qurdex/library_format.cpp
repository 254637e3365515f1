// Reading and writing the run-time's library files.
#include "library_format.h"

#include <cstring>
#include <fstream>
#include <set>

#include "text_field.h"

namespace library_format {

bool valid_member_name(const std::string &name)
{
    if (name.empty() || name.size() > kNameMax)
        return false;
    for (char c : name)
        if (c == '\\' || c == '/' || c == ':' || c == ' ' || c == '\0')
            return false;
    return true;
}

bool read_directory(const std::string &path, std::vector<Member> &members)
{
    members.clear();
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in)
        return false;
    const uint64_t size = static_cast<uint64_t>(in.tellg());
    in.seekg(0);
    Header header{};
    if (size < sizeof header || !in.read(reinterpret_cast<char *>(&header), sizeof header) ||
        std::memcmp(header.magic, kMagic, sizeof kMagic) != 0)
        return false;
    const uint64_t directoryEnd =
        sizeof header + uint64_t{header.memberCount} * sizeof(MemberEntry);
    if (directoryEnd > size)
        return false;
    std::vector<Member> found;
    for (uint32_t i = 0; i < header.memberCount; ++i) {
        MemberEntry entry{};
        if (!in.read(reinterpret_cast<char *>(&entry), sizeof entry))
            return false;
        const char *end =
            static_cast<const char *>(std::memchr(entry.name, '\0', sizeof entry.name));
        if (end == nullptr)
            return false;
        Member member{std::string(entry.name, static_cast<size_t>(end - entry.name)), entry.offset,
                      entry.size};
        if (!valid_member_name(member.name) || member.offset < directoryEnd ||
            uint64_t{member.offset} + member.size > size)
            return false;
        found.push_back(member);
    }
    members = std::move(found);
    return true;
}

bool write_library(const std::string &path, const std::vector<Input> &inputs, std::string &error)
{
    std::set<std::string> seen;
    for (const Input &input : inputs) {
        if (!valid_member_name(input.name)) {
            error = "not a member name: " + input.name;
            return false;
        }
        if (!seen.insert(frame::upper_text(input.name)).second) {
            error = "member named twice: " + input.name;
            return false;
        }
    }
    Header header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.memberCount = static_cast<uint32_t>(inputs.size());
    std::string image(reinterpret_cast<const char *>(&header), sizeof header);
    uint64_t offset = sizeof header + inputs.size() * sizeof(MemberEntry);
    for (const Input &input : inputs) {
        MemberEntry entry{};
        std::memcpy(entry.name, input.name.data(), input.name.size());
        entry.offset = static_cast<uint32_t>(offset);
        entry.size = static_cast<uint32_t>(input.bytes.size());
        image.append(reinterpret_cast<const char *>(&entry), sizeof entry);
        offset += input.bytes.size();
    }
    if (offset > UINT32_MAX) {
        error = "library larger than 4 GiB";
        return false;
    }
    for (const Input &input : inputs)
        image += input.bytes;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out || !out.write(image.data(), static_cast<std::streamsize>(image.size()))) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

} // namespace library_format
