// JOINENV's merge: the setting texts merged over the base on every call with their
// %NAME% references expanded against the current list.
#include "joinenv_steps.h"

#include <algorithm>
#include <cstring>

namespace pathenv {

namespace {

// Expands the %NAME% references of value into storage.expanded: pairs of "%" enclose a
// name, upper-cased and replaced by its current value (nothing when unset, and
// nothing for an empty name); a last unmatched "%" stays.
void expand_value(Joinenv &storage, const char *value, size_t length)
{
    std::string &out = storage.expanded;
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
        storage.referenceName = upper(value + start + 1, end - start - 1);
        append_value_of(storage, storage.referenceName, out);
        i = end + 1;
        percents -= 2;
    }
    out.append(value + i, length - i);
}

void write_value(Joinenv &storage, EnvRecord &record, uint32_t valueAt)
{
    record.valuePlace = valueAt;
    record.valueLength = static_cast<uint32_t>(storage.expanded.size());
    write_bytes(storage, valueAt, record.valueLength, storage.expanded.data());
}

// Puts storage.newName with the value in storage.expanded into the list: over the value of the
// record of that name, or as a new record before the first record whose name over
// the new name's length is greater, else at the end.
void place_setting(Joinenv &storage)
{
    const std::string &name = storage.newName;
    Place place = walk(storage, name);
    if (place.found != kNoRecord) {
        EnvRecord record = read_record(storage, place.found);
        write_value(storage, record, storage.fileEnd);
        write_record(storage, place.found, record);
        storage.fileEnd += record.valueLength;
        return;
    }
    uint32_t previous = place.previous;
    uint32_t placed = storage.fileEnd;
    EnvRecord before{};
    if (previous != kNoRecord)
        before = read_record(storage, previous);
    EnvRecord added = record_for(name);
    added.next = previous == kNoRecord ? storage.head : before.next;
    uint32_t valueAt = placed + kRecordSize;
    if (name.size() > kNameWidth) {
        write_bytes(storage, valueAt, name.size(), name.data());
        valueAt += static_cast<uint32_t>(name.size());
    }
    write_value(storage, added, valueAt);
    write_record(storage, placed, added);
    storage.fileEnd = valueAt + added.valueLength;
    if (previous == kNoRecord) {
        storage.head = placed;
    } else {
        before.next = placed;
        write_record(storage, previous, before);
    }
    index_added(storage, place, placed, name);
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

bool append_value_of(Joinenv &storage, const std::string &name, std::string &out)
{
    uint32_t at = name.empty() ? kNoRecord : walk(storage, name).found;
    if (at == kNoRecord)
        return false;
    append_record_value(storage, read_record(storage, at), out);
    return true;
}

void merge_text(Joinenv &storage, const char *text)
{
    if (text == nullptr)
        return;
    convert_setting_text(text, setting_text_length(text), storage.settings);
    for (const char *setting = storage.settings; *setting != '\0';) {
        size_t length = std::strlen(setting);
        const char *equals = static_cast<const char *>(std::memchr(setting, '=', length));
        // A setting without a name would stand for none of the unnamed base entries.
        if (equals != nullptr && equals != setting) {
            storage.newName = upper(setting, static_cast<size_t>(equals - setting));
            expand_value(storage, equals + 1, length - static_cast<size_t>(equals + 1 - setting));
            place_setting(storage);
        }
        setting += length + 1;
    }
}

const char *join_texts(Joinenv &storage, const std::function<const char *()> &read_base,
                       uint32_t count, const char *const texts[9])
{
    if (storage.baseLoaded)
        reset_to_base(storage);
    else
        load_base(storage, read_base);
    for (uint32_t k = std::min<uint32_t>(count, 9); k >= 1; --k)
        merge_text(storage, texts[k - 1]);
    return write_block(storage);
}

} // namespace pathenv
