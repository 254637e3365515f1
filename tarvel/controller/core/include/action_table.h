// The action table: a header naming the application directory, then up to 500
// entries, the same bytes in the action file and in memory.
#pragma once

#include <cstddef>
#include <cstdint>

#pragma pack(push, 1)

struct ActionHeader {
    char sharedPart[520]; // copied unchanged into every hand-over block
    char appDir[260];     // NUL first: none; a leading "$" names an environment variable
    char unused780[1000];
    uint32_t processId; // recorded by the last action, 0 = none
};

struct ActionEntry {
    uint32_t window; // receives the completion notice; 0 = none
    uint8_t unused4[4];
    uint32_t reportedProcessId; // written back by a hand-over program
    char noticeTag[12];         // "0" and 11 spaces: no notice
    char unused24[12];
    char program[260]; // NUL-ended
    char unused296[520];
    char commandLine[768]; // NUL-ended
    char title[50];
    char unused1634[1000];
    uint8_t kind;    // 4 command interpreter, 5 hand-over, else direct
    uint8_t runFlag; // 0: start nothing
};

#pragma pack(pop)

static_assert(sizeof(ActionHeader) == 1784);
static_assert(offsetof(ActionHeader, sharedPart) == 0);
static_assert(offsetof(ActionHeader, appDir) == 520);
static_assert(offsetof(ActionHeader, unused780) == 780);
static_assert(offsetof(ActionHeader, processId) == 1780);

static_assert(sizeof(ActionEntry) == 2636);
static_assert(offsetof(ActionEntry, window) == 0);
static_assert(offsetof(ActionEntry, reportedProcessId) == 8);
static_assert(offsetof(ActionEntry, noticeTag) == 12);
static_assert(offsetof(ActionEntry, unused24) == 24);
static_assert(offsetof(ActionEntry, program) == 36);
static_assert(offsetof(ActionEntry, unused296) == 296);
static_assert(offsetof(ActionEntry, commandLine) == 816);
static_assert(offsetof(ActionEntry, title) == 1584);
static_assert(offsetof(ActionEntry, unused1634) == 1634);
static_assert(offsetof(ActionEntry, kind) == 2634);
static_assert(offsetof(ActionEntry, runFlag) == 2635);

// The entry kinds the controller tells apart; any other kind starts program directly.
constexpr uint8_t kKindInterpreter = 4; // a command for the command interpreter
constexpr uint8_t kKindHandOver = 5;    // handed to a hand-over program

constexpr uint32_t kMaxActions = 500;
// Bytes 0 to 1583 of an entry travel in a hand-over block.
constexpr size_t kEntryHandOverPart = 1584;
// The entry count is counted from this size; the header itself is 1784 bytes.
constexpr uint32_t kActionCountBase = 1780;

// The header, then the entries; only as many entries as the table holds may be used.
struct ActionTable {
    ActionHeader header;
    ActionEntry entries[kMaxActions];
};
static_assert(sizeof(ActionTable) == 1319784);
