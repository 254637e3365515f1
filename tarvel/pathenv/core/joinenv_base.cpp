// JOINENV's base: the process environment read once into records, sorted by the
// run-time's sort (or in memory when that fails), and restored before every call.
#include "joinenv_steps.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace pathenv {

namespace {

// The base entries with "=", one record each, in the order the process has them. An
// entry that begins past the positions a record holds keeps its value in the
// virtual file instead, with a name longer than the name field right before it:
// these texts follow the records and the end record, which the sort writes from
// offset 0, and textsEnd is where they end. A name longer than a name length holds
// (65,535 characters) cannot be an entry of a list, so its entry is left out.
std::vector<EnvRecord> base_records(const Joinenv &storage, uint32_t &textsEnd)
{
    std::vector<EnvRecord> records;
    std::string texts;
    for (size_t position = 0; storage.base != nullptr && storage.base[position] != '\0';) {
        const char *entry = storage.base + position;
        size_t length = std::strlen(entry);
        const char *equals = static_cast<const char *>(std::memchr(entry, '=', length));
        size_t nameLength = equals != nullptr ? static_cast<size_t>(equals - entry) : 0;
        if (equals != nullptr && nameLength <= 0xFFFF) {
            std::string name = upper(entry, nameLength);
            EnvRecord record = record_for(name);
            if (position < kPositionLimit) {
                record.entryPosition = static_cast<uint16_t>(position + 1);
            } else {
                if (nameLength > kNameWidth)
                    texts += name;
                record.valuePlace = static_cast<uint32_t>(texts.size()); // from the texts' start
                record.valueLength = static_cast<uint32_t>(length - nameLength - 1);
                texts.append(equals + 1, record.valueLength);
            }
            records.push_back(record);
        }
        position += length + 1;
    }
    uint32_t textsAt = static_cast<uint32_t>((records.size() + 1) * kRecordSize);
    for (EnvRecord &record : records) {
        if (record.entryPosition == 0)
            record.valuePlace += textsAt;
    }
    write_bytes(storage, textsAt, texts.size(), texts.data());
    textsEnd = textsAt + static_cast<uint32_t>(texts.size());
    return records;
}

// Writes record at the end of the virtual file linked to the record written before it,
// and makes it the head: the last record taken from a descending sort heads the
// list in ascending order.
void take_record(Joinenv &storage, EnvRecord record)
{
    record.next = storage.head;
    write_record(storage, storage.fileEnd, record);
    storage.head = storage.fileEnd;
    storage.fileEnd += kRecordSize;
}

// Writes the record that ends the base records: first name byte zero, next the
// last base record taken.
void write_end_record(Joinenv &storage)
{
    EnvRecord end = record_for("");
    end.name[0] = '\0';
    end.next = storage.head;
    write_record(storage, storage.fileEnd, end);
    storage.fileEnd += kRecordSize;
}

// Writes the records in the order the sort returns them (names descending, bytes
// unsigned, equal names latest given first), for when the sort failed.
void sort_in_memory(Joinenv &storage, std::vector<EnvRecord> records)
{
    std::stable_sort(records.begin(), records.end(), [](const EnvRecord &a, const EnvRecord &b) {
        return std::memcmp(a.name, b.name, kNameWidth) < 0;
    });
    for (auto record = records.rbegin(); record != records.rend(); ++record)
        take_record(storage, *record);
}

} // namespace

// Asks for the base once, then sorts it into the list. A sort that fails is done in
// memory, so the block does not depend on a writable directory.
void load_base(Joinenv &storage, const std::function<const char *()> &read_base)
{
    if (!storage.baseRead) {
        storage.base = read_base();
        storage.baseRead = 1;
    }
    storage.fileEnd = 0;
    storage.head = kNoRecord;
    uint32_t textsEnd = 0;
    std::vector<EnvRecord> records = base_records(storage, textsEnd);
    const auto take = [&storage](const EnvRecord &record) { take_record(storage, record); };
    if (storage.base != nullptr && !storage.runTime->sort(records, take)) {
        storage.fileEnd = 0;
        storage.head = kNoRecord;
        sort_in_memory(storage, std::move(records));
    }
    write_end_record(storage);
    storage.baseRecords.resize(storage.fileEnd / kRecordSize);
    storage.runTime->read(0, storage.fileEnd, storage.baseRecords.data());
    storage.baseHead = storage.head;
    storage.baseEnd = std::max(storage.fileEnd, textsEnd);
    storage.fileEnd = storage.baseEnd;
    build_index(storage);
    storage.baseLoaded = 1;
}

// The base records back as loaded, in one piece: values the base's own, links in
// the order the sort gave. What calls added after them is written over from there.
void reset_to_base(Joinenv &storage)
{
    write_bytes(storage, 0, storage.baseRecords.size() * kRecordSize, storage.baseRecords.data());
    storage.head = storage.baseHead;
    storage.fileEnd = storage.baseEnd;
    storage.index.gaps.clear();
}

} // namespace pathenv
