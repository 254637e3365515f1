// ABSPATH: a path made absolute, with "." and ".." resolved, in upper case.
#pragma once

#include <cstdint>

struct AbsPath {
    struct Component {
        uint8_t start;   // position in the work area, from 1
        uint8_t length;
    };
    static constexpr int kFieldWidth = 255;
    // The expanded path is read up to here; the work area's last byte is never part of it.
    static constexpr int kLastRead = 254;

    uint8_t initialised = 0;
    char work[kFieldWidth] = {};
    Component components[128] = {};
    uint8_t componentCount = 0;
    uint8_t rootLength = 0;
    uint8_t writePosition = 0;
    uint8_t readPosition = 0;
    uint8_t scanPosition = 0;
    char drive = 0;
    uint8_t endOfParse = 0;
};

namespace abspath {

// Resolves the 255-character field input into the 255-character field output
// (the same field may be both) through the work area of storage. Returns the
// status of the upper-casing, the last service called.
int32_t resolve(AbsPath &storage, const char *input, char *output);

} // namespace abspath
