// The steps JOINENV's files share: the records in the virtual file, the walk through
// the list and its index, the base sort and the block writer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "joinenv_merge.h"

namespace pathenv {

constexpr uint32_t kRecordSize = sizeof(EnvRecord);

// Records in the virtual file (joinenv_records.cpp).
EnvRecord read_record(const Joinenv &storage, uint32_t at);
// Writes count bytes at offset at; throws std::bad_alloc when the store cannot grow.
void write_bytes(const Joinenv &storage, uint32_t at, size_t count, const void *bytes);
void write_record(const Joinenv &storage, uint32_t at, const EnvRecord &record);
// True for the records the base loaded, false for those calls add after it.
bool is_base(const Joinenv &storage, uint32_t at);
std::string upper(const char *text, size_t length);
// A record for a name: its first 256 characters in the name field, padded with
// spaces, and its whole length.
EnvRecord record_for(const std::string &name);
// The whole upper-case name of the record at offset at.
std::string full_name(const Joinenv &storage, const EnvRecord &record, uint32_t at);
// Compares the record's name, padded with spaces, with name over name's length.
int compare_name(const Joinenv &storage, const EnvRecord &record, uint32_t at,
                 const std::string &name);
void append_record_value(const Joinenv &storage, const EnvRecord &record, std::string &out);

// The walk through the list and its index (joinenv_index.cpp).
// Where the walk from the head for a name stops: at the first record of that name
// (found), or where a new record of that name goes, after previous (kNoRecord: at
// the head), at position among the settings that follow base record gap.
struct Place {
    uint32_t found = kNoRecord;
    uint32_t previous = kNoRecord;
    uint32_t gap = kNoRecord;
    size_t position = 0;
};
// The first record of name in the list, or where a new record of that name goes.
Place walk(const Joinenv &storage, const std::string &name);
// Builds the index of the base records as the list holds them after the base sort.
void build_index(Joinenv &storage);
// Enters the record of name just placed at offset at where the walk found its place.
void index_added(Joinenv &storage, const Place &place, uint32_t at, const std::string &name);

// The base sort (joinenv_base.cpp).
// Asks for the base once, then sorts it into the list.
void load_base(Joinenv &storage, const std::function<const char *()> &read_base);
// The base records back as loaded, in one piece.
void reset_to_base(Joinenv &storage);

// The block writer (joinenv_block.cpp).
// The block of the current list: in the output field while it fits, else in storage.block.
const char *write_block(Joinenv &storage);

} // namespace pathenv
