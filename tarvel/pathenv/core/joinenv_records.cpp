// JOINENV's records in the store: reading and writing them, their names and their
// values.
#include "joinenv_steps.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "text_field.h"

namespace pathenv {

EnvRecord read_record(const Joinenv &storage, uint32_t at)
{
    EnvRecord record;
    storage.runTime->read(at, kRecordSize, &record);
    return record;
}

// Writes count bytes at offset at. A write to the store fails only when it cannot
// grow, and a list with a hole in it would give a wrong block, so that is a want of
// memory like any other.
void write_bytes(const Joinenv &storage, uint32_t at, size_t count, const void *bytes)
{
    if (!storage.runTime->write(at, static_cast<uint32_t>(count), bytes))
        throw std::bad_alloc();
}

void write_record(const Joinenv &storage, uint32_t at, const EnvRecord &record)
{
    write_bytes(storage, at, kRecordSize, &record);
}

bool is_base(const Joinenv &storage, uint32_t at) { return at < storage.baseEnd; }

std::string upper(const char *text, size_t length)
{
    return frame::upper_text(std::string(text, length));
}

EnvRecord record_for(const std::string &name)
{
    EnvRecord record;
    std::memset(record.name, ' ', kNameWidth);
    std::memcpy(record.name, name.data(), std::min(name.size(), kNameWidth));
    record.nameLength = static_cast<uint16_t>(name.size());
    record.entryPosition = 0;
    record.valuePlace = 0;
    record.valueLength = 0;
    record.next = kNoRecord;
    return record;
}

// The whole upper-case name of the record at offset at. Names longer than the name
// field come from the base entry, from right before the value text a base entry
// keeps in the file, or from right after a setting's record.
std::string full_name(const Joinenv &storage, const EnvRecord &record, uint32_t at)
{
    if (record.nameLength <= kNameWidth)
        return std::string(record.name, record.nameLength);
    if (record.entryPosition != 0)
        return upper(storage.base + record.entryPosition - 1, record.nameLength);
    uint32_t nameAt = is_base(storage, at)
                          ? storage.baseRecords[at / kRecordSize].valuePlace - record.nameLength
                          : at + kRecordSize;
    std::string name(record.nameLength, '\0');
    storage.runTime->read(nameAt, record.nameLength, name.data());
    return name;
}

int compare_name(const Joinenv &storage, const EnvRecord &record, uint32_t at,
                 const std::string &name)
{
    size_t length = name.size();
    int order = std::memcmp(record.name, name.data(), std::min(length, kNameWidth));
    if (order != 0 || length <= kNameWidth)
        return order;
    std::string whole = full_name(storage, record, at);
    whole.resize(length, ' ');
    return std::memcmp(whole.data(), name.data(), length);
}

void append_record_value(const Joinenv &storage, const EnvRecord &record, std::string &out)
{
    if (record.valuePlace == 0) {
        const char *value = storage.base + record.entryPosition - 1 + record.nameLength + 1;
        out.append(value);
        return;
    }
    size_t at = out.size();
    out.resize(at + record.valueLength);
    storage.runTime->read(record.valuePlace, record.valueLength, out.data() + at);
}

} // namespace pathenv
