// JOINENV's block writer: the current list as name=value entries, each ended by a
// zero byte, and one more zero byte after them.
#include "joinenv_steps.h"

#include <cstring>

namespace pathenv {

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

} // namespace pathenv
