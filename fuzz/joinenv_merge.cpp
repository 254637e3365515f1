// JOINENV's merge: for any base environment and up to nine setting texts, two calls in
// a row each give the block that a slow model gives, a plain list walked from its head
// (names in upper case, ascending, a name that begins longer names after them; every
// setting's name once; the first text's setting winning over the later texts', and
// within a text the later setting); the base as sorted in memory or by the run-time.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_check.h"
#include "joinenv_merge.h"
#include "text_field.h"

namespace {

using pathenv::EnvRecord;

// The run-time as a byte store in memory; its sort either fails (the merge then sorts
// in memory) or sorts as the run-time's sort does.
class MemoryRunTime final : public pathenv::JoinenvRunTime {
public:
    explicit MemoryRunTime(bool sorts) : sorts_(sorts) {}

    void read(uint32_t at, uint32_t count, void *bytes) const override
    {
        fuzz::check(size_t{at} + count <= store_.size(), "the merge reads only what it wrote");
        std::memcpy(bytes, store_.data() + at, count);
    }

    bool write(uint32_t at, uint32_t count, const void *bytes) override
    {
        if (store_.size() < size_t{at} + count)
            store_.resize(size_t{at} + count);
        std::memcpy(store_.data() + at, bytes, count);
        return true;
    }

    bool sort(const std::vector<EnvRecord> &records,
              const std::function<void(const EnvRecord &)> &take) override
    {
        if (!sorts_)
            return false;
        std::vector<EnvRecord> sorted(records.rbegin(), records.rend());
        std::stable_sort(sorted.begin(), sorted.end(), [](const EnvRecord &a, const EnvRecord &b) {
            return std::memcmp(a.name, b.name, pathenv::kNameWidth) > 0;
        });
        for (const EnvRecord &record : sorted)
            take(record);
        return true;
    }

private:
    bool sorts_;
    std::vector<uint8_t> store_;
};

using Entry = std::pair<std::string, std::string>; // upper-case name, value

// The merge as a plain list walked from its head.
struct Model {
    std::vector<Entry> list;

    // Compares a listed name, padded with spaces, with name over name's length.
    static int compare(const std::string &listed, const std::string &name)
    {
        std::string padded = listed;
        padded.resize(std::max(listed.size(), name.size()), ' ');
        return std::memcmp(padded.data(), name.data(), name.size());
    }
    // Where the walk for name stops, and whether it stops at that name.
    std::pair<size_t, bool> walk(const std::string &name) const
    {
        for (size_t i = 0; i < list.size(); ++i) {
            int order = compare(list[i].first, name);
            if (order == 0 && list[i].first.size() == name.size())
                return {i, true};
            if (order > 0)
                return {i, false};
        }
        return {list.size(), false};
    }
    std::string expand(const std::string &value) const
    {
        std::string out;
        size_t i = 0;
        for (;;) {
            size_t open = value.find('%', i);
            size_t close = open == std::string::npos ? open : value.find('%', open + 1);
            if (close == std::string::npos)
                break;
            out += value.substr(i, open - i);
            std::string name = frame::upper_text(value.substr(open + 1, close - open - 1));
            auto [at, found] = walk(name);
            if (found && !name.empty())
                out += list[at].second;
            i = close + 1;
        }
        return out + value.substr(i);
    }
    void merge(const std::string &text)
    {
        std::string counted = text.substr(0, std::min(text.find('\0'), size_t{999}));
        counted.erase(counted.find_last_not_of(' ') + 1);
        if (counted.empty() || counted[0] == '\n')
            return;
        for (size_t start = 0; start < counted.size();) {
            size_t end = std::min(counted.find('\n', start), counted.size());
            std::string setting = counted.substr(start, end - start);
            size_t equals = setting.find('=');
            if (equals != std::string::npos && equals > 0)
                set(frame::upper_text(setting.substr(0, equals)), setting.substr(equals + 1));
            start = counted.find_first_not_of('\n', end);
        }
    }
    void set(const std::string &name, const std::string &value)
    {
        std::string expanded = expand(value);
        auto [at, found] = walk(name);
        if (found)
            list[at].second = expanded;
        else
            list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), {name, expanded});
    }
    std::string block() const
    {
        std::string out;
        for (const auto &[name, value] : list)
            out += name + "=" + value + '\0';
        if (out.empty())
            out += '\0';
        return out + '\0';
    }
};

// The base block's entries with "=" and a name a record can hold, sorted by their
// 256-character name fields, equal fields in the order given.
std::vector<Entry> sorted_base(const std::string &base)
{
    std::vector<Entry> entries;
    for (size_t at = 0; at < base.size() && base[at] != '\0';) {
        std::string entry = base.substr(at, base.find('\0', at) - at);
        at += entry.size() + 1;
        size_t equals = entry.find('=');
        if (equals != std::string::npos && equals <= 0xFFFF)
            entries.push_back(
                {frame::upper_text(entry.substr(0, equals)), entry.substr(equals + 1)});
    }
    std::stable_sort(entries.begin(), entries.end(), [](const Entry &a, const Entry &b) {
        std::string x = a.first.substr(0, pathenv::kNameWidth);
        std::string y = b.first.substr(0, pathenv::kNameWidth);
        x.resize(pathenv::kNameWidth, ' ');
        y.resize(pathenv::kNameWidth, ' ');
        return x < y;
    });
    return entries;
}

// The fuzzer's bytes with each 0xFE n c made c repeated n times, and each 0xFD n c
// made c repeated n * 256 times, so that short inputs reach names longer than the name
// field and bases past 65,535 bytes.
std::string expanded_input(std::string_view bytes)
{
    std::string out;
    for (size_t i = 0; i < bytes.size(); ++i) {
        const auto marker = static_cast<uint8_t>(bytes[i]);
        if ((marker == 0xFE || marker == 0xFD) && i + 2 < bytes.size()) {
            const size_t count = static_cast<uint8_t>(bytes[i + 1]) * (marker == 0xFE ? 1u : 256u);
            out.append(count, bytes[i + 2]);
            i += 2;
        } else {
            out += bytes[i];
        }
    }
    return out;
}

std::vector<std::string> split(const std::string &text, char separator)
{
    std::vector<std::string> parts;
    for (size_t start = 0;;) {
        size_t end = text.find(separator, start);
        parts.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            return parts;
        start = end + 1;
    }
}

std::string block_bytes(const char *block)
{
    size_t end = 0;
    while (block[end] != '\0' || block[end + 1] != '\0')
        ++end;
    return std::string(block, end + 2);
}

} // namespace

// Input: a flag byte (bit 0: the run-time sorts; bit 1: there is no base; bits 4 to 7:
// the second call's count),
// then, separated by 0xFF bytes, the base (entries separated by line feeds) and the
// texts of the first call, as many as it counts.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    std::vector<std::string> parts =
        split(expanded_input(fuzz::text_of(data + 1, size - 1)), '\xFF');
    std::string base = parts[0];
    std::replace(base.begin(), base.end(), '\n', '\0');
    base.append(2, '\0');
    std::vector<std::string> texts(std::make_move_iterator(parts.begin() + 1),
                                   std::make_move_iterator(parts.end()));
    texts.resize(9);
    const char *pointers[9];
    for (size_t k = 0; k < 9; ++k)
        pointers[k] = texts[k].c_str();

    pathenv::Joinenv storage;
    storage.runTime = std::make_unique<MemoryRunTime>(data[0] & 1);
    const bool noBase = data[0] & 2;
    const std::vector<Entry> baseList = noBase ? std::vector<Entry>{} : sorted_base(base);
    const uint32_t counts[2] = {static_cast<uint32_t>(parts.size() - 1), uint32_t{data[0]} >> 4};
    for (uint32_t count : counts) {
        const char *block = pathenv::join_texts(
            storage, [&] { return noBase ? nullptr : base.c_str(); }, count, pointers);
        Model model{baseList};
        for (uint32_t k = std::min<uint32_t>(count, 9); k >= 1; --k)
            model.merge(texts[k - 1]);
        fuzz::check(block_bytes(block) == model.block(), "the block is the model's");
    }
    return 0;
}
