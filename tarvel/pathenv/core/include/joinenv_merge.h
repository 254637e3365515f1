// JOINENV's merge: an environment block built from a base environment with up to nine
// texts of settings laid over it, names upper-cased and in ascending order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace pathenv {

// A next field with no record after it.
constexpr uint32_t kNoRecord = 0xFFFFFFFF;
constexpr size_t kNameWidth = 256;
constexpr size_t kTextWidth = 999;
constexpr size_t kOutputWidth = 32646;
// The last entry position a record holds: base entries that begin further on keep
// their values in the virtual file.
constexpr size_t kPositionLimit = 65535;

#pragma pack(push, 1)
// One variable of the merged list, as kept in the virtual file.
struct EnvRecord {
    char name[kNameWidth];  // upper case, padded with spaces; the sort key
    uint16_t nameLength;    // characters of the whole name
    uint16_t entryPosition; // 1-based position in the base environment; 0 for a setting
                            // or a base entry past kPositionLimit
    uint32_t valuePlace;    // 0: the base entry's value; else the value text's offset
    uint32_t valueLength;   // length of the value text at valuePlace
    uint32_t next;          // offset of the next record in name order
};
#pragma pack(pop)
static_assert(sizeof(EnvRecord) == 272);
static_assert(offsetof(EnvRecord, name) == 0);
static_assert(offsetof(EnvRecord, nameLength) == 256);
static_assert(offsetof(EnvRecord, entryPosition) == 258);
static_assert(offsetof(EnvRecord, valuePlace) == 260);
static_assert(offsetof(EnvRecord, valueLength) == 264);
static_assert(offsetof(EnvRecord, next) == 268);

// Ways into the merged list that spare walking it from the head through the
// virtual file; they find the same records and places the walk would.
struct ListIndex {
    struct Entry {
        uint32_t at;      // the record's offset
        std::string name; // its name field without the padding
    };
    struct Added {
        uint32_t at;     // the record's offset
        uint16_t length; // its name's length
        uint64_t lead;   // its first eight characters, padded, as one number
    };
    std::vector<Entry> baseOrder;                        // base records, ascending
    std::unordered_map<std::string, uint32_t> baseNames; // first base record of a name
    // This call's records in list order, by the base record they follow (kNoRecord:
    // those before the first base record).
    std::unordered_map<uint32_t, std::vector<Added>> gaps;
};

// What the merge needs of the run-time: the store its list lives in (the virtual file)
// and the base's sort. The merge calls nothing else outside itself.
class JoinenvRunTime {
public:
    virtual ~JoinenvRunTime() = default;
    // Reads count bytes at offset at of the store.
    virtual void read(uint32_t at, uint32_t count, void *bytes) const = 0;
    // Writes count bytes at offset at, the store growing as needed; false when it
    // cannot grow.
    virtual bool write(uint32_t at, uint32_t count, const void *bytes) = 0;
    // Sorts records by their name fields, descending (bytes unsigned, equal names
    // latest given first), and hands each to take in that order; false when the sort
    // failed, and then the merge sorts them itself.
    virtual bool sort(const std::vector<EnvRecord> &records,
                      const std::function<void(const EnvRecord &)> &take) = 0;
};

// JOINENV's program storage.
struct Joinenv {
    uint8_t initialised = 0;
    uint8_t baseRead = 0; // the base was asked for, once per process
    uint8_t baseLoaded = 0;
    std::unique_ptr<JoinenvRunTime> runTime; // the store and the sort, set once
    uint32_t head = kNoRecord;               // record with the smallest name
    uint32_t fileEnd = 0;                    // end of the virtual file
    uint32_t baseHead = kNoRecord;           // head and end as the base left them; every
    uint32_t baseEnd = 0;                    // record before baseEnd is a base record
    const char *base = nullptr;              // the process environment block
    char settings[1012] = {};                // the current text, zero-separated
    std::string newName;                     // upper-cased name of the current setting
    std::string referenceName;               // upper-cased name between two "%"
    char output[kOutputWidth] = {};          // the block, while it fits
    std::string expanded;                    // the current setting's expanded value
    std::string block;                       // the block as built; returned when larger than output
    std::vector<EnvRecord> baseRecords;      // the base and end records as loaded, from offset 0
    ListIndex index;
};

// Loads the base on the first call, or resets the list to it on later ones; merges
// texts count down to 1 (count above 9 is 9) and writes the block, in the store and
// with the sort of storage.runTime, which must be set. read_base gives the
// environment block (null: none); it is called once for the storage's life, whatever
// follows. Returns the block, valid until the next call. Throws std::bad_alloc when
// memory for the list or the block cannot be had (or std::length_error for a block
// past a string's size bound); the next call then loads the base again, or resets to
// it, from the block already read.
const char *join_texts(Joinenv &storage, const std::function<const char *()> &read_base,
                       uint32_t count, const char *const texts[9]);

// Merges one setting text into the current list.
void merge_text(Joinenv &storage, const char *text);

// The value of the variable name (upper case) in the current list, appended to out;
// false when the list has no such variable.
bool append_value_of(Joinenv &storage, const std::string &name, std::string &out);

} // namespace pathenv
