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
    int order = std::memcmp(field.data(), name.data(), common);
    for (size_t i = common; order == 0 && i < name.size(); ++i)
        order = static_cast<int>(' ') - static_cast<unsigned char>(name[i]);
    return order;
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
uint32_t last_base_not_greater(const Joinenv &storage, const std::string &name)
{
    const std::vector<ListIndex::Entry> &order = storage.index.baseOrder;
    auto after =
        std::partition_point(order.begin(), order.end(), [&](const ListIndex::Entry &base) {
            return compare_padded(base.name, name) <= 0;
        });
    return after == order.begin() ? kNoRecord : (after - 1)->at;
}

// The walk for a name that fits the name field, through the index: the base record
// of the name, else the settings in the gap after the last base record that is not
// greater.
Place walk_index(const Joinenv &storage, const std::string &name)
{
    Place place;
    auto base = storage.index.baseNames.find(name);
    if (base != storage.index.baseNames.end()) {
        place.found = base->second;
        return place;
    }
    place.previous = place.gap = last_base_not_greater(storage, name);
    auto gap = storage.index.gaps.find(place.gap);
    if (gap == storage.index.gaps.end())
        return place;
    // The leading eight characters decide most comparisons as one number.
    size_t leadLength = std::min<size_t>(name.size(), 8);
    uint64_t mask = leadLength == 8 ? ~0ull : ~(~0ull >> (8 * leadLength));
    uint64_t lead = leading(name) & mask;
    for (const ListIndex::Added &added : gap->second) {
        uint64_t other = added.lead & mask;
        if (other > lead)
            break;
        if (other == lead) {
            int order = name.size() > 8
                            ? compare_name(storage, read_record(storage, added.at), added.at, name)
                            : 0;
            if (order > 0)
                break;
            if (order == 0 && added.length == name.size()) {
                place.found = added.at;
                return place;
            }
        }
        place.previous = added.at;
        ++place.position;
    }
    return place;
}

// The walk for a name longer than the name field: record by record from the head.
Place walk_list(const Joinenv &storage, const std::string &name)
{
    Place place;
    for (uint32_t at = storage.head; at != kNoRecord;) {
        EnvRecord record = read_record(storage, at);
        int order = compare_name(storage, record, at, name);
        if (order == 0 && record.nameLength == name.size()) {
            place.found = at;
            return place;
        }
        if (order > 0)
            break;
        if (is_base(storage, at)) {
            place.gap = at;
            place.position = 0;
        } else {
            ++place.position;
        }
        place.previous = at;
        at = record.next;
    }
    return place;
}

} // namespace

// The walk from the head, which stops at the first record of the name or the first
// whose name over the name's length is greater. Every record before one of a name
// sorts no higher over that name's length, so a base record of the name is met
// first; else the walk can start after the last base record that is not greater
// and meet only the settings after it. Names longer than the name field walk the
// whole way.
Place walk(const Joinenv &storage, const std::string &name)
{
    return name.size() <= kNameWidth ? walk_index(storage, name) : walk_list(storage, name);
}

void build_index(Joinenv &storage)
{
    ListIndex &index = storage.index;
    index.baseOrder.clear();
    index.baseNames.clear();
    index.gaps.clear();
    for (uint32_t at = storage.head; at != kNoRecord;) {
        EnvRecord record = read_record(storage, at);
        std::string name(record.name, std::min<size_t>(record.nameLength, kNameWidth));
        if (record.nameLength > 0 && record.nameLength <= kNameWidth)
            index.baseNames.emplace(name, at);
        index.baseOrder.push_back({at, std::move(name)});
        at = record.next;
    }
}

void index_added(Joinenv &storage, const Place &place, uint32_t at, const std::string &name)
{
    std::vector<ListIndex::Added> &gap = storage.index.gaps[place.gap];
    gap.insert(gap.begin() + static_cast<std::ptrdiff_t>(place.position),
               ListIndex::Added{at, static_cast<uint16_t>(name.size()), leading(name)});
}

} // namespace pathenv
