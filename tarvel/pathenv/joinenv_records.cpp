// JOINENV's records in the virtual file: reading and writing them, their names and
// their values.
#include "joinenv_steps.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "entries.h"

namespace pathenv {

EnvRecord read_record(const Joinenv &s, uint32_t at)
{
    EnvRecord r;
    CBL_READ_VFILE(s.vfile, at, kRecordSize, &r);
    return r;
}

// Writes count bytes at offset at. A write to the store fails only when it cannot
// grow, and a list with a hole in it would give a wrong block, so that is a want of
// memory like any other.
void write_bytes(const Joinenv &s, uint32_t at, size_t count, const void *bytes)
{
    if (CBL_WRITE_VFILE(s.vfile, at, static_cast<uint32_t>(count), bytes) != 0)
        throw std::bad_alloc();
}

void write_record(const Joinenv &s, uint32_t at, const EnvRecord &r)
{
    write_bytes(s, at, kRecordSize, &r);
}

bool is_base(const Joinenv &s, uint32_t at) { return at < s.baseEnd; }

std::string upper(const char *text, size_t length)
{
    std::string name(text, length);
    CBL_TOUPPER(name.data(), static_cast<int32_t>(name.size()));
    return name;
}

EnvRecord record_for(const std::string &name)
{
    EnvRecord r;
    std::memset(r.name, ' ', kNameWidth);
    std::memcpy(r.name, name.data(), std::min(name.size(), kNameWidth));
    r.nameLength = static_cast<uint16_t>(name.size());
    r.entryPosition = 0;
    r.valuePlace = 0;
    r.valueLength = 0;
    r.next = kNoRecord;
    return r;
}

// The whole upper-case name of the record at offset at. Names longer than the name
// field come from the base entry, from right before the value text a base entry
// keeps in the file, or from right after a setting's record.
std::string full_name(const Joinenv &s, const EnvRecord &r, uint32_t at)
{
    if (r.nameLength <= kNameWidth)
        return std::string(r.name, r.nameLength);
    if (r.entryPosition != 0)
        return upper(s.base + r.entryPosition - 1, r.nameLength);
    uint32_t nameAt = is_base(s, at) ? s.baseRecords[at / kRecordSize].valuePlace - r.nameLength
                                     : at + kRecordSize;
    std::string name(r.nameLength, '\0');
    CBL_READ_VFILE(s.vfile, nameAt, r.nameLength, name.data());
    return name;
}

int compare_name(const Joinenv &s, const EnvRecord &r, uint32_t at, const std::string &name)
{
    size_t n = name.size();
    int c = std::memcmp(r.name, name.data(), std::min(n, kNameWidth));
    if (c != 0 || n <= kNameWidth)
        return c;
    std::string whole = full_name(s, r, at);
    whole.resize(n, ' ');
    return std::memcmp(whole.data(), name.data(), n);
}

void append_record_value(const Joinenv &s, const EnvRecord &r, std::string &out)
{
    if (r.valuePlace == 0) {
        const char *value = s.base + r.entryPosition - 1 + r.nameLength + 1;
        out.append(value);
        return;
    }
    size_t at = out.size();
    out.resize(at + r.valueLength);
    CBL_READ_VFILE(s.vfile, r.valuePlace, r.valueLength, out.data() + at);
}

} // namespace pathenv
