// JOINENV's block writer: the current list as name=value entries, each ended by a
// zero byte, and one more zero byte after them.
#include "joinenv_steps.h"

#include <cstring>

namespace pathenv {

const char *write_block(Joinenv &storage)
{
    std::string &entries = storage.block;
    entries.clear();
    for (uint32_t at = storage.head; at != kNoRecord;) {
        EnvRecord record = read_record(storage, at);
        entries += full_name(storage, record, at);
        entries += '=';
        append_record_value(storage, record, entries);
        entries += '\0';
        at = record.next;
    }
    if (entries.empty())
        entries += '\0';
    entries += '\0';
    if (entries.size() > kOutputWidth)
        return entries.data();
    std::memcpy(storage.output, entries.data(), entries.size());
    return storage.output;
}

} // namespace pathenv
