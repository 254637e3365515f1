/* The records of TARVEL's host header (tarvel_host.h, which includes this file): the
   action table, the pipe blocks' data and header, and the numbers they hold. Apart
   from the entries so that code without Windows headers can take them; C, also C++. */
#ifndef TARVEL_HOST_RECORDS_H
#define TARVEL_HOST_RECORDS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
#define TARVEL_STATIC_ASSERT(condition) static_assert(condition, #condition)
#else
#define TARVEL_STATIC_ASSERT(condition) _Static_assert(condition, #condition)
#endif

/* ---- Numbers ------------------------------------------------------------ */

/* ActionEntry.kind: any kind other than these two starts program directly. */
enum {
    TARVEL_KIND_DIRECT = 0,
    TARVEL_KIND_INTERPRETER = 4, /* commandLine for cmd.exe /c (command.com /c on 95/98) */
    TARVEL_KIND_HAND_OVER = 5    /* the entry handed through a pipe to a hand-over program */
};

/* ActionEntry.runFlag: 0 starts nothing for the entry, any other value starts it. */
enum { TARVEL_RUN_FLAG_SKIP = 0, TARVEL_RUN_FLAG_RUN = 1 };

/* The run mode of TR010Action. A null run mode waits for each program and sends the
   completion notices. TARVEL_RUN_MODE_WAIT waits too, sends no notice and records
   process id 1 in the header. Any other value (TARVEL_RUN_MODE_START) starts the
   program through SINGLEXE (header processId 0) or QUENNETSTARTEXE, which wait as well
   and record the new process's id; it sends no notice either. */
enum { TARVEL_RUN_MODE_START = 0, TARVEL_RUN_MODE_WAIT = 1 };

enum {
    TARVEL_MAX_ACTIONS = 500,
    TARVEL_HEADER_SIZE = 1784,
    TARVEL_ENTRY_SIZE = 2636,
    /* A file's entry count is its size less this, divided by TARVEL_ENTRY_SIZE. */
    TARVEL_ACTION_COUNT_BASE = 1780,
    /* Bytes 0 to 1583 of an entry travel in a hand-over block. */
    TARVEL_ENTRY_HAND_OVER_PART = 1584,
    /* TARVEL.EXE's command line: a bare file name of at most this many characters. */
    TARVEL_FILE_NAME_MAX = 10
};

/* The size of a table of count entries, in a file or in memory. */
#define TARVEL_TABLE_SIZE(count) ((size_t)TARVEL_HEADER_SIZE + TARVEL_ENTRY_SIZE * (size_t)(count))

/* ActionEntry.noticeTag asking for no notice. */
#define TARVEL_NO_NOTICE "0           "

/* ---- Records ------------------------------------------------------------ */

/* A big-endian byte order field's value. */
static inline uint32_t tarvel_get_big_endian(const uint8_t *bytes)
{
    return ((uint32_t)bytes[0] << 24) | ((uint32_t)bytes[1] << 16) | ((uint32_t)bytes[2] << 8) |
           (uint32_t)bytes[3];
}

static inline void tarvel_set_big_endian(uint8_t *bytes, uint32_t value)
{
    bytes[0] = (uint8_t)(value >> 24);
    bytes[1] = (uint8_t)(value >> 16);
    bytes[2] = (uint8_t)(value >> 8);
    bytes[3] = (uint8_t)value;
}

#pragma pack(push, 1)

/* A 4-byte number stored most significant byte first, as WAITEXE stores an exit code.
   C reads it with tarvel_get_big_endian(field.bytes). */
typedef struct BigEndian32 {
    uint8_t bytes[4];
#ifdef __cplusplus
    uint32_t get() const { return tarvel_get_big_endian(bytes); }
    void set(uint32_t value) { tarvel_set_big_endian(bytes, value); }
#endif
} BigEndian32;

/* The action table's header. */
typedef struct ActionHeader {
    char sharedPart[520]; /* copied unchanged into every hand-over block */
    char appDir[260];     /* NUL first: none; a leading "$" names an environment variable */
    char unused780[1000];
    uint32_t processId; /* recorded by the last action, 0 = none */
} ActionHeader;

/* One action. program and commandLine end with a NUL inside the field. */
typedef struct ActionEntry {
    uint32_t window; /* receives the completion notice; 0 = none */
    uint8_t unused4[4];
    uint32_t reportedProcessId; /* written back by a hand-over program */
    char noticeTag[12];         /* TARVEL_NO_NOTICE ("0" and 11 spaces): no notice */
    char unused24[12];
    char program[260]; /* the program to start; NUL-ended */
    char unused296[520];
    char commandLine[768]; /* its command line; NUL-ended */
    char title[50];
    char unused1634[1000];
    uint8_t kind;    /* TARVEL_KIND_... */
    uint8_t runFlag; /* TARVEL_RUN_FLAG_... */
} ActionEntry;

/* The header, then the entries: the same bytes in the action file and in memory. Only
   as many entries as the table holds may be used, so a table of a few entries needs
   only TARVEL_TABLE_SIZE(count) bytes. */
typedef struct ActionTable {
    ActionHeader header;
    ActionEntry entries[TARVEL_MAX_ACTIONS];
} ActionTable;

/* The data of the pipe block a hand-over program receives. */
typedef struct HandOverBlock {
    char sharedPart[520];                       /* the header's sharedPart */
    uint8_t entry[TARVEL_ENTRY_HAND_OVER_PART]; /* bytes 0 to 1583 of the entry */
} HandOverBlock;

/* The data of the pipe block of a completion notice. */
typedef struct CompletionNotice {
    uint32_t one;         /* always 1 */
    BigEndian32 exitCode; /* big-endian: the exit code modulo 1,000,000,000 */
    char noticeTag[12];   /* the entry's noticeTag */
} CompletionNotice;

/* The 8 bytes in front of a pipe block's data, in memory and in the pipe: a block is
   its header and then totalLength - 8 data bytes. */
typedef struct BlockHeader {
    uint32_t totalLength; /* data size + 8 */
    uint32_t writeHandle; /* the pipe's write end, as the sender's process knows it */
} BlockHeader;

#pragma pack(pop)

TARVEL_STATIC_ASSERT(sizeof(BigEndian32) == 4);

TARVEL_STATIC_ASSERT(sizeof(ActionHeader) == TARVEL_HEADER_SIZE);
TARVEL_STATIC_ASSERT(offsetof(ActionHeader, sharedPart) == 0);
TARVEL_STATIC_ASSERT(offsetof(ActionHeader, appDir) == 520);
TARVEL_STATIC_ASSERT(offsetof(ActionHeader, unused780) == 780);
TARVEL_STATIC_ASSERT(offsetof(ActionHeader, processId) == 1780);

TARVEL_STATIC_ASSERT(sizeof(ActionEntry) == TARVEL_ENTRY_SIZE);
TARVEL_STATIC_ASSERT(offsetof(ActionEntry, window) == 0);
TARVEL_STATIC_ASSERT(offsetof(ActionEntry, unused4) == 4);
TARVEL_STATIC_ASSERT(offsetof(ActionEntry, reportedProcessId) == 8);
TARVEL_STATIC_ASSERT(offsetof(ActionEntry, noticeTag) == 12);
TARVEL_STATIC_ASSERT(offsetof(ActionEntry, unused24) == 24);
TARVEL_STATIC_ASSERT(offsetof(ActionEntry, program) == 36);
TARVEL_STATIC_ASSERT(offsetof(ActionEntry, unused296) == 296);
TARVEL_STATIC_ASSERT(offsetof(ActionEntry, commandLine) == 816);
TARVEL_STATIC_ASSERT(offsetof(ActionEntry, title) == 1584);
TARVEL_STATIC_ASSERT(offsetof(ActionEntry, unused1634) == 1634);
TARVEL_STATIC_ASSERT(offsetof(ActionEntry, kind) == 2634);
TARVEL_STATIC_ASSERT(offsetof(ActionEntry, runFlag) == 2635);

TARVEL_STATIC_ASSERT(sizeof(ActionTable) == 1319784);
TARVEL_STATIC_ASSERT(offsetof(ActionTable, entries) == TARVEL_HEADER_SIZE);

TARVEL_STATIC_ASSERT(sizeof(HandOverBlock) == 2104);
TARVEL_STATIC_ASSERT(offsetof(HandOverBlock, sharedPart) == 0);
TARVEL_STATIC_ASSERT(offsetof(HandOverBlock, entry) == 520);

TARVEL_STATIC_ASSERT(sizeof(CompletionNotice) == 20);
TARVEL_STATIC_ASSERT(offsetof(CompletionNotice, one) == 0);
TARVEL_STATIC_ASSERT(offsetof(CompletionNotice, exitCode) == 4);
TARVEL_STATIC_ASSERT(offsetof(CompletionNotice, noticeTag) == 8);

TARVEL_STATIC_ASSERT(sizeof(BlockHeader) == 8);
TARVEL_STATIC_ASSERT(offsetof(BlockHeader, totalLength) == 0);
TARVEL_STATIC_ASSERT(offsetof(BlockHeader, writeHandle) == 4);

#endif /* TARVEL_HOST_RECORDS_H */
