// JOINENV's base: the process environment read once into records, sorted through the
// sort's work file (or in memory when that fails), and restored before every call.
#include "joinenv_steps.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "entries.h"
#include "program.h"

namespace pathenv {

namespace {

const char kWorkFileName[] = "zkorgsrt.dat";
const char kWorkFileInTmp[] = "$TMP/zkorgsrt.dat";

void sort_file_name(Joinenv &s)
{
    char tmp[QX_NAME_MAX];
    std::memset(tmp, ' ', sizeof tmp);
    qx_get_env("TMP", tmp, sizeof tmp);
    bool set = std::any_of(tmp, tmp + sizeof tmp, [](char c) { return c != ' '; });
    const char *name = set ? kWorkFileInTmp : kWorkFileName;
    std::memset(s.sortFile, ' ', sizeof s.sortFile);
    std::memcpy(s.sortFile, name, std::strlen(name));
}

// True when the sort's status is one the file-error report is for; reports it.
bool sort_failed(const Joinenv &s, const qx_sort_block &sort)
{
    if (sort.status[0] <= '2')
        return false;
    CBL_FILE_ERROR(sort.status, s.sortFile);
    return true;
}

// The base entries with "=", one record each, in the order the process has them. An
// entry that begins past the positions a record holds keeps its value in the
// virtual file instead, with a name longer than the name field right before it:
// these texts follow the records and the end record, which the sort writes from
// offset 0, and textsEnd is where they end. A name longer than a name length holds
// (65,535 characters) cannot be an entry of a list, so its entry is left out.
std::vector<EnvRecord> base_records(const Joinenv &s, uint32_t &textsEnd)
{
    std::vector<EnvRecord> records;
    std::string texts;
    for (size_t p = 0; s.base != nullptr && s.base[p] != '\0';) {
        const char *entry = s.base + p;
        size_t length = std::strlen(entry);
        const char *equals = static_cast<const char *>(std::memchr(entry, '=', length));
        size_t nameLength = equals != nullptr ? static_cast<size_t>(equals - entry) : 0;
        if (equals != nullptr && nameLength <= 0xFFFF) {
            std::string name = upper(entry, nameLength);
            EnvRecord r = record_for(name);
            if (p < kPositionLimit) {
                r.entryPosition = static_cast<uint16_t>(p + 1);
            } else {
                if (nameLength > kNameWidth)
                    texts += name;
                r.valuePlace = static_cast<uint32_t>(texts.size()); // from the texts' start
                r.valueLength = static_cast<uint32_t>(length - nameLength - 1);
                texts.append(equals + 1, r.valueLength);
            }
            records.push_back(r);
        }
        p += length + 1;
    }
    uint32_t textsAt = static_cast<uint32_t>((records.size() + 1) * kRecordSize);
    for (EnvRecord &r : records) {
        if (r.entryPosition == 0)
            r.valuePlace += textsAt;
    }
    write_bytes(s, textsAt, texts.size(), texts.data());
    textsEnd = textsAt + static_cast<uint32_t>(texts.size());
    return records;
}

// Writes r at the end of the virtual file linked to the record written before it,
// and makes it the head: the last record taken from a descending sort heads the
// list in ascending order.
void take_record(Joinenv &s, EnvRecord r)
{
    r.next = s.head;
    write_record(s, s.fileEnd, r);
    s.head = s.fileEnd;
    s.fileEnd += kRecordSize;
}

// Writes the record that ends the base records: first name byte zero, next the
// last base record taken.
void write_end_record(Joinenv &s)
{
    EnvRecord end = record_for("");
    end.name[0] = '\0';
    end.next = s.head;
    write_record(s, s.fileEnd, end);
    s.fileEnd += kRecordSize;
}

// Gives the records to the sort, one each.
bool give_base(const Joinenv &s, qx_sort_block &sort, const std::vector<EnvRecord> &records)
{
    for (EnvRecord r : records) {
        EXTSM(QX_SORT_RELEASE, &sort, &r);
        if (sort_failed(s, sort))
            return false;
    }
    return true;
}

// Takes the sorted records (descending) and writes each. At most one taking more
// than was given, so a sort that keeps failing still ends.
bool take_base(Joinenv &s, qx_sort_block &sort, size_t given)
{
    for (size_t tries = 0; tries <= given; ++tries) {
        EnvRecord r;
        EXTSM(QX_SORT_RETURN, &sort, &r);
        if (sort.status[0] == '1')
            break;
        if (sort_failed(s, sort))
            return false;
        if (sort.status[0] > '1')
            continue;
        take_record(s, r);
    }
    return true;
}

// Sorts the records through the sort's work file and writes them as it returns
// them; false when the sort failed (reported on standard error).
bool sort_with_work_file(Joinenv &s, const std::vector<EnvRecord> &records)
{
    qx_sort_block sort{};
    sort.recordLength = kRecordSize;
    sort.keyOffset = 0;
    sort.keyLength = kNameWidth;
    sort.descending = 1;
    std::memcpy(sort.workFile, s.sortFile, sizeof sort.workFile);
    EXTSM(QX_SORT_OPEN, &sort, nullptr);
    if (sort_failed(s, sort))
        return false;
    bool ok = false;
    try {
        ok = give_base(s, sort, records);
        if (ok) {
            EXTSM(QX_SORT_SORT, &sort, nullptr);
            ok = !sort_failed(s, sort) && take_base(s, sort, records.size());
        }
    } catch (...) {
        EXTSM(QX_SORT_END, &sort, nullptr); // the work file goes whatever happened
        throw;
    }
    EXTSM(QX_SORT_END, &sort, nullptr);
    return !sort_failed(s, sort) && ok;
}

// Writes the records in the order the sort returns them (names descending, bytes
// unsigned, equal names latest given first), for when its work file failed.
void sort_in_memory(Joinenv &s, std::vector<EnvRecord> records)
{
    std::stable_sort(records.begin(), records.end(), [](const EnvRecord &a, const EnvRecord &b) {
        return std::memcmp(a.name, b.name, kNameWidth) < 0;
    });
    for (auto r = records.rbegin(); r != records.rend(); ++r)
        take_record(s, *r);
}

} // namespace

// Asks for the base once, then sorts it into the list. A sort whose work file fails
// is reported and done in memory, so the block does not depend on a writable
// directory.
void load_base(Joinenv &s, const std::function<const char *()> &read_base)
{
    if (!s.baseRead) {
        s.base = read_base();
        s.baseRead = 1;
    }
    sort_file_name(s);
    if (s.vfile == 0)
        CBL_OPEN_VFILE(&s.vfile);
    s.fileEnd = 0;
    s.head = kNoRecord;
    uint32_t textsEnd = 0;
    std::vector<EnvRecord> records = base_records(s, textsEnd);
    if (s.base != nullptr && !sort_with_work_file(s, records)) {
        s.fileEnd = 0;
        s.head = kNoRecord;
        sort_in_memory(s, std::move(records));
    }
    write_end_record(s);
    s.baseRecords.resize(s.fileEnd / kRecordSize);
    CBL_READ_VFILE(s.vfile, 0, s.fileEnd, s.baseRecords.data());
    s.baseHead = s.head;
    s.baseEnd = std::max(s.fileEnd, textsEnd);
    s.fileEnd = s.baseEnd;
    build_index(s);
    s.baseLoaded = 1;
}

// The base records back as loaded, in one piece: values the base's own, links in
// the order the sort gave. What calls added after them is written over from there.
void reset_to_base(Joinenv &s)
{
    write_bytes(s, 0, s.baseRecords.size() * kRecordSize, s.baseRecords.data());
    s.head = s.baseHead;
    s.fileEnd = s.baseEnd;
    s.index.gaps.clear();
}

} // namespace pathenv
