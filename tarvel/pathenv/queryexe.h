// QUERYEXE: the file a program name stands for, and what kind of program it is.
#pragma once

#include <cstdint>

#include "qurdex.h"

#pragma pack(push, 1)
struct QueryExe {
    static constexpr int kNameWidth = 250;
    static constexpr int kBufferWidth = 256;

    struct LocatedName {
        qx_be16 length = qx_be16_of(257);
        char buffer[257] = {};
    };
    struct LibraryRecord {
        uint8_t length = 0;
        char name[255] = {};
    };
    struct SearchRow {
        char extension[3];
        char variable[7];
    };

    uint8_t initialised = 0;
    char nameBuffer[kBufferWidth] = {};
    char directory[kBufferWidth] = {};
    char base[kBufferWidth] = {};
    char extension[kBufferWidth] = {};
    LocatedName located;
    uint8_t locateMode = 0;
    uint8_t pathFlag = 0;
    uint8_t exist = 0;
    qx_filename_record split = {qx_be16_of(24),           0,  0, {}, {}, {}, {}, {}, {}, {},
                                qx_be16_of(kBufferWidth), {}, {}};
    qx_filename_record join = {qx_be16_of(24),
                               0,
                               0,
                               qx_be16_of(1),
                               qx_be16_of(kBufferWidth),
                               qx_be16_of(1),
                               qx_be16_of(kBufferWidth),
                               qx_be16_of(1),
                               qx_be16_of(kBufferWidth),
                               {},
                               {},
                               qx_be16_of(kBufferWidth),
                               {}};
    char value[1152] = {};
    char directoryGiven = 'n';
    char library = 'n';
    LibraryRecord libraryRecord;
    uint8_t libraryFunction = QX_LIBRARY_OPEN;
    uint8_t libraryResult = 0;
    int32_t extensionCaseLength = 3;
    SearchRow searchTable[5] = {
        {{'b', 'a', 't'}, {'$', 'p', 'a', 't', 'h', ' ', ' '}},
        {{'e', 'x', 'e'}, {'$', 'p', 'a', 't', 'h', ' ', ' '}},
        {{'l', 'b', 'r'}, {'$', 'c', 'o', 'b', 'd', 'i', 'r'}},
        {{'g', 'n', 't'}, {'$', 'c', 'o', 'b', 'd', 'i', 'r'}},
        {{'i', 'n', 't'}, {'$', 'c', 'o', 'b', 'd', 'i', 'r'}},
    };
};
#pragma pack(pop)

static_assert(offsetof(QueryExe, located) == 1 + 4 * 256);
static_assert(sizeof(QueryExe::LocatedName) == 259);
static_assert(sizeof(QueryExe::LibraryRecord) == 256);
static_assert(sizeof(QueryExe::SearchRow) == 10);

namespace queryexe {

// Kinds of program that a lookup reports.
enum Kind : uint8_t { kNotFound = 0, kExecutable = 3, kBatch = 4, kRunTimeProgram = 5 };

// Tries the name in the storage's name buffer; true when found, with the full name
// in the located-name buffer. status receives the last service's result.
using Locator = bool (*)(QueryExe &storage, int32_t &status, void *context);

// The run-time's locate of one name, with the library opened around it.
bool locate(QueryExe &storage, int32_t &status, void *context);

// Looks the 250-character program name up in the search order, every name tried
// going through locator. block is an environment block to search "$" variables in,
// or null for the process environment. Returns the last service's status.
int32_t lookup(QueryExe &storage, char *name, uint8_t *kind, const char *block, Locator locator,
               void *context);

} // namespace queryexe
