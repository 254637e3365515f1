// JOINENV's list index: the walk to a name's record or place, sped up by the base
// records' order and names and by this call's records in the gaps between them.
#include "joinenv_steps.h"

#include <algorithm>
#include <cstring>

namespace pathenv {

namespace {

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

} // namespace

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

void index_added(Joinenv &s, const Place &place, uint32_t at, const std::string &name)
{
    std::vector<ListIndex::Added> &gap = s.index.gaps[place.gap];
    gap.insert(gap.begin() + static_cast<std::ptrdiff_t>(place.position),
               ListIndex::Added{at, static_cast<uint16_t>(name.size()), leading(name)});
}

} // namespace pathenv
