// ABSPATH's resolution: a path made absolute against a given drive and directory, with
// "." and ".." resolved, in upper case, through a fixed work area.
#pragma once

#include <cstdint>

struct AbsPath {
    struct Component {
        uint8_t start; // position in the work area, from 1
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

// Room for the current directory in the work area, after "X:\".
constexpr uint8_t kDirectoryRoom = AbsPath::kFieldWidth - 4;

// The drive letter input names with a leading "X:", else currentDrive.
char named_drive(const char *input, char currentDrive);
// True when input is resolved against the current directory of its drive: neither
// the network form nor a path from the root.
bool is_relative(const char *input);

// Resolves the 255-character field input into the 255-character field output (the
// same field may be both) through the work area of storage. currentDrive is the
// current drive's letter (0 when unknown); directory, read only for a relative input,
// is the current directory of the drive input names: kDirectoryRoom characters without
// drive and leading backslash, space-padded, all spaces when it could not be read.
void resolve(AbsPath &storage, const char *input, char *output, char currentDrive,
             const char *directory);

} // namespace abspath
