// JOINENV's base: the process environment read once into records, sorted through the
// sort's work file (or in memory when that fails), and restored before every call.
#include "joinenv_steps.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "qurdex.h"

namespace pathenv {

namespace {

const char kWorkFileName[] = "zkorgsrt.dat";
const char kWorkFileInTmp[] = "$TMP/zkorgsrt.dat";

void sort_file_name(Joinenv &storage)
{
    char tmp[QX_NAME_MAX];
    std::memset(tmp, ' ', sizeof tmp);
    qx_get_env("TMP", tmp, sizeof tmp);
    bool set = std::any_of(tmp, tmp + sizeof tmp, [](char c) { return c != ' '; });
    const char *name = set ? kWorkFileInTmp : kWorkFileName;
    std::memset(storage.sortFile, ' ', sizeof storage.sortFile);
    std::memcpy(storage.sortFile, name, std::strlen(name));
}

// True when the sort's status is one the file-error report is for; reports it.
bool sort_failed(const Joinenv &storage, const qx_sort_block &sort)
{
    if (sort.status[0] <= '2')
        return false;
    CBL_FILE_ERROR(sort.status, storage.sortFile);
    return true;
}

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

// Gives the records to the sort, one each.
bool give_base(const Joinenv &storage, qx_sort_block &sort, const std::vector<EnvRecord> &records)
{
    for (EnvRecord record : records) {
        EXTSM(QX_SORT_RELEASE, &sort, &record);
        if (sort_failed(storage, sort))
            return false;
    }
    return true;
}

// Takes the sorted records (descending) and writes each. At most one taking more
// than was given, so a sort that keeps failing still ends.
bool take_base(Joinenv &storage, qx_sort_block &sort, size_t given)
{
    for (size_t tries = 0; tries <= given; ++tries) {
        EnvRecord record;
        EXTSM(QX_SORT_RETURN, &sort, &record);
        if (sort.status[0] == '1')
            break;
        if (sort_failed(storage, sort))
            return false;
        if (sort.status[0] > '1')
            continue;
        take_record(storage, record);
    }
    return true;
}

// Sorts the records through the sort's work file and writes them as it returns
// them; false when the sort failed (reported on standard error).
bool sort_with_work_file(Joinenv &storage, const std::vector<EnvRecord> &records)
{
    qx_sort_block sort{};
    sort.recordLength = kRecordSize;
    sort.keyOffset = 0;
    sort.keyLength = kNameWidth;
    sort.descending = 1;
    std::memcpy(sort.workFile, storage.sortFile, sizeof sort.workFile);
    EXTSM(QX_SORT_OPEN, &sort, nullptr);
    if (sort_failed(storage, sort))
        return false;
    bool ok = false;
    try {
        ok = give_base(storage, sort, records);
        if (ok) {
            EXTSM(QX_SORT_SORT, &sort, nullptr);
            ok = !sort_failed(storage, sort) && take_base(storage, sort, records.size());
        }
    } catch (...) {
        EXTSM(QX_SORT_END, &sort, nullptr); // the work file goes whatever happened
        throw;
    }
    EXTSM(QX_SORT_END, &sort, nullptr);
    return !sort_failed(storage, sort) && ok;
}

// Writes the records in the order the sort returns them (names descending, bytes
// unsigned, equal names latest given first), for when its work file failed.
void sort_in_memory(Joinenv &storage, std::vector<EnvRecord> records)
{
    std::stable_sort(records.begin(), records.end(), [](const EnvRecord &a, const EnvRecord &b) {
        return std::memcmp(a.name, b.name, kNameWidth) < 0;
    });
    for (auto record = records.rbegin(); record != records.rend(); ++record)
        take_record(storage, *record);
}

} // namespace

// Asks for the base once, then sorts it into the list. A sort whose work file fails
// is reported and done in memory, so the block does not depend on a writable
// directory.
void load_base(Joinenv &storage, const std::function<const char *()> &read_base)
{
    if (!storage.baseRead) {
        storage.base = read_base();
        storage.baseRead = 1;
    }
    sort_file_name(storage);
    if (storage.vfile == 0)
        CBL_OPEN_VFILE(&storage.vfile);
    storage.fileEnd = 0;
    storage.head = kNoRecord;
    uint32_t textsEnd = 0;
    std::vector<EnvRecord> records = base_records(storage, textsEnd);
    if (storage.base != nullptr && !sort_with_work_file(storage, records)) {
        storage.fileEnd = 0;
        storage.head = kNoRecord;
        sort_in_memory(storage, std::move(records));
    }
    write_end_record(storage);
    storage.baseRecords.resize(storage.fileEnd / kRecordSize);
    CBL_READ_VFILE(storage.vfile, 0, storage.fileEnd, storage.baseRecords.data());
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
