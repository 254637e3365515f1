// JOINENV: the process environment, read and sorted once, with setting texts merged
// over it on every call and %NAME% references expanded against the current list.
#include "joinenv.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <mutex>
#include <new>

#include "entries.h"
#include "program.h"

namespace pathenv {

namespace {

constexpr uint32_t kRecordSize = sizeof(EnvRecord);
const char kWorkFileName[] = "zkorgsrt.dat";
const char kWorkFileInTmp[] = "$TMP/zkorgsrt.dat";

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

// True for the records the base loaded, false for those calls add after it.
bool is_base(const Joinenv &s, uint32_t at) { return at < s.baseEnd; }

std::string upper(const char *text, size_t length)
{
    std::string name(text, length);
    CBL_TOUPPER(name.data(), static_cast<int32_t>(name.size()));
    return name;
}

// A record for a name: its first 256 characters in the name field, padded with
// spaces, and its whole length.
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

// Compares the record's name, padded with spaces, with name over name's length.
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

// Compares field (a name field without its padding) padded with spaces to name's
// length, with name; name fits the name field.
int compare_padded(const std::string &field, const std::string &name)
{
    size_t common = std::min(field.size(), name.size());
    int c = std::memcmp(field.data(), name.data(), common);
    for (size_t i = common; c == 0 && i < name.size(); ++i)
        c = static_cast<int>(' ') - static_cast<unsigned char>(name[i]);
    return c;
}

// The first eight characters of name padded with spaces, as a number that orders as
// they do.
uint64_t leading(const std::string &name)
{
    uint64_t lead = 0;
    for (size_t i = 0; i < 8; ++i)
        lead = (lead << 8) | (i < name.size() ? static_cast<unsigned char>(name[i]) : ' ');
    return lead;
}

// The last base record whose name over name's length is not greater (kNoRecord:
// none). No record before it stops a walk for name, as every record before a base
// record sorts no higher than it over any length.
uint32_t last_base_not_greater(const Joinenv &s, const std::string &name)
{
    const std::vector<ListIndex::Entry> &order = s.index.baseOrder;
    auto after = std::partition_point(order.begin(), order.end(), [&](const ListIndex::Entry &b) {
        return compare_padded(b.name, name) <= 0;
    });
    return after == order.begin() ? kNoRecord : (after - 1)->at;
}

// Where the walk from the head for a name stops: at the first record of that name
// (found), or where a new record of that name goes, after previous (kNoRecord: at
// the head), at position among the settings that follow base record gap.
struct Place {
    uint32_t found = kNoRecord;
    uint32_t previous = kNoRecord;
    uint32_t gap = kNoRecord;
    size_t position = 0;
};

// The walk from the head, which stops at the first record of the name or the first
// whose name over the name's length is greater. Every record before one of a name
// sorts no higher over that name's length, so a base record of the name is met
// first; else the walk can start after the last base record that is not greater
// and meet only the settings after it. Names longer than the name field walk the
// whole way.
Place walk(const Joinenv &s, const std::string &name)
{
    Place place;
    if (name.size() <= kNameWidth) {
        auto base = s.index.baseNames.find(name);
        if (base != s.index.baseNames.end()) {
            place.found = base->second;
            return place;
        }
        place.previous = place.gap = last_base_not_greater(s, name);
        auto gap = s.index.gaps.find(place.gap);
        if (gap == s.index.gaps.end())
            return place;
        // The leading eight characters decide most comparisons as one number.
        size_t n = std::min<size_t>(name.size(), 8);
        uint64_t mask = n == 8 ? ~0ull : ~(~0ull >> (8 * n));
        uint64_t lead = leading(name) & mask;
        for (const ListIndex::Added &e : gap->second) {
            uint64_t other = e.lead & mask;
            if (other > lead)
                break;
            if (other == lead) {
                int c = name.size() > 8 ? compare_name(s, read_record(s, e.at), e.at, name) : 0;
                if (c > 0)
                    break;
                if (c == 0 && e.length == name.size()) {
                    place.found = e.at;
                    return place;
                }
            }
            place.previous = e.at;
            ++place.position;
        }
        return place;
    }
    for (uint32_t at = s.head; at != kNoRecord;) {
        EnvRecord r = read_record(s, at);
        int c = compare_name(s, r, at, name);
        if (c == 0 && r.nameLength == name.size()) {
            place.found = at;
            return place;
        }
        if (c > 0)
            break;
        if (is_base(s, at)) {
            place.gap = at;
            place.position = 0;
        } else {
            ++place.position;
        }
        place.previous = at;
        at = r.next;
    }
    return place;
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

// Expands the %NAME% references of value into s.expanded: pairs of "%" enclose a
// name, upper-cased and replaced by its current value (nothing when unset, and
// nothing for an empty name); a last unmatched "%" stays.
void expand_value(Joinenv &s, const char *value, size_t length)
{
    std::string &out = s.expanded;
    out.clear();
    size_t percents = static_cast<size_t>(std::count(value, value + length, '%'));
    size_t i = 0;
    while (percents >= 2) {
        const char *open = static_cast<const char *>(std::memchr(value + i, '%', length - i));
        size_t start = static_cast<size_t>(open - value);
        const char *close =
            static_cast<const char *>(std::memchr(value + start + 1, '%', length - start - 1));
        size_t end = static_cast<size_t>(close - value);
        out.append(value + i, start - i);
        s.referenceName = upper(value + start + 1, end - start - 1);
        append_value_of(s, s.referenceName, out);
        i = end + 1;
        percents -= 2;
    }
    out.append(value + i, length - i);
}

void write_value(Joinenv &s, EnvRecord &r, uint32_t valueAt)
{
    r.valuePlace = valueAt;
    r.valueLength = static_cast<uint32_t>(s.expanded.size());
    write_bytes(s, valueAt, r.valueLength, s.expanded.data());
}

// Puts s.newName with the value in s.expanded into the list: over the value of the
// record of that name, or as a new record before the first record whose name over
// the new name's length is greater, else at the end.
void place_setting(Joinenv &s)
{
    const std::string &name = s.newName;
    Place place = walk(s, name);
    if (place.found != kNoRecord) {
        EnvRecord r = read_record(s, place.found);
        write_value(s, r, s.fileEnd);
        write_record(s, place.found, r);
        s.fileEnd += r.valueLength;
        return;
    }
    uint32_t previous = place.previous;
    uint32_t placed = s.fileEnd;
    EnvRecord before{};
    if (previous != kNoRecord)
        before = read_record(s, previous);
    EnvRecord added = record_for(name);
    added.next = previous == kNoRecord ? s.head : before.next;
    uint32_t valueAt = placed + kRecordSize;
    if (name.size() > kNameWidth) {
        write_bytes(s, valueAt, name.size(), name.data());
        valueAt += static_cast<uint32_t>(name.size());
    }
    write_value(s, added, valueAt);
    write_record(s, placed, added);
    s.fileEnd = valueAt + added.valueLength;
    if (previous == kNoRecord) {
        s.head = placed;
    } else {
        before.next = placed;
        write_record(s, previous, before);
    }
    std::vector<ListIndex::Added> &gap = s.index.gaps[place.gap];
    gap.insert(gap.begin() + static_cast<std::ptrdiff_t>(place.position),
               ListIndex::Added{placed, static_cast<uint16_t>(name.size()), leading(name)});
}

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

void build_index(Joinenv &s)
{
    ListIndex &index = s.index;
    index.baseOrder.clear();
    index.baseNames.clear();
    index.gaps.clear();
    for (uint32_t at = s.head; at != kNoRecord;) {
        EnvRecord r = read_record(s, at);
        std::string name(r.name, std::min<size_t>(r.nameLength, kNameWidth));
        if (r.nameLength > 0 && r.nameLength <= kNameWidth)
            index.baseNames.emplace(name, at);
        index.baseOrder.push_back({at, std::move(name)});
        at = r.next;
    }
}

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

const char *write_block(Joinenv &s)
{
    std::string &entries = s.block;
    entries.clear();
    for (uint32_t at = s.head; at != kNoRecord;) {
        EnvRecord r = read_record(s, at);
        entries += full_name(s, r, at);
        entries += '=';
        append_record_value(s, r, entries);
        entries += '\0';
        at = r.next;
    }
    if (entries.empty())
        entries += '\0';
    entries += '\0';
    if (entries.size() > kOutputWidth)
        return entries.data();
    std::memcpy(s.output, entries.data(), entries.size());
    return s.output;
}

// Characters of a setting text that count: its first 999, up to a NUL, with
// trailing spaces removed.
size_t setting_text_length(const char *text)
{
    const char *end = static_cast<const char *>(std::memchr(text, '\0', kTextWidth));
    size_t length = end != nullptr ? static_cast<size_t>(end - text) : kTextWidth;
    while (length > 0 && text[length - 1] == ' ')
        --length;
    return length;
}

// Copies length characters of text into area with every run of line feeds made one
// zero byte, and two zero bytes after them; area holds at least length + 2 bytes.
void convert_setting_text(const char *text, size_t length, char *area)
{
    size_t out = 0;
    for (size_t i = 0; i < length; ++i) {
        if (text[i] != '\n')
            area[out++] = text[i];
        else if (i == 0 || text[i - 1] != '\n')
            area[out++] = '\0';
    }
    area[out++] = '\0';
    area[out] = '\0';
}

} // namespace

bool append_value_of(Joinenv &s, const std::string &name, std::string &out)
{
    uint32_t at = name.empty() ? kNoRecord : walk(s, name).found;
    if (at == kNoRecord)
        return false;
    append_record_value(s, read_record(s, at), out);
    return true;
}

void merge_text(Joinenv &s, const char *text)
{
    if (text == nullptr)
        return;
    convert_setting_text(text, setting_text_length(text), s.settings);
    for (const char *setting = s.settings; *setting != '\0';) {
        size_t length = std::strlen(setting);
        const char *equals = static_cast<const char *>(std::memchr(setting, '=', length));
        // A setting without a name would stand for none of the unnamed base entries.
        if (equals != nullptr && equals != setting) {
            s.newName = upper(setting, static_cast<size_t>(equals - setting));
            expand_value(s, equals + 1, length - static_cast<size_t>(equals + 1 - setting));
            place_setting(s);
        }
        setting += length + 1;
    }
}

const char *join(Joinenv &s, const std::function<const char *()> &read_base, uint32_t count,
                 const char *const texts[9])
{
    if (s.baseLoaded)
        reset_to_base(s);
    else
        load_base(s, read_base);
    for (uint32_t k = std::min<uint32_t>(count, 9); k >= 1; --k)
        merge_text(s, texts[k - 1]);
    return write_block(s);
}

} // namespace pathenv

namespace {

pathenv::Joinenv g_joinenv;
// Threads of the process share the one storage, so their calls take turns.
std::mutex g_joinenvTurns;

} // namespace

extern "C" const char *JOINENV(const uint32_t *count, const char *text1, const char *text2,
                               const char *text3, const char *text4, const char *text5,
                               const char *text6, const char *text7, const char *text8,
                               const char *text9)
{
    int32_t returnCode = 0;
    frame::first_call(g_joinenv, returnCode);
    const char *const texts[9] = {text1, text2, text3, text4, text5, text6, text7, text8, text9};
    try {
        std::lock_guard<std::mutex> turn(g_joinenvTurns);
        return pathenv::join(g_joinenv, QUENNETGETENV, count != nullptr ? *count : 0, texts);
    } catch (const std::exception &) {
        // Only a want of memory ends up here (for the list, the block, a string's size
        // bound or the lock's own set-up): no block, and the next call starts afresh.
        return nullptr;
    }
}
