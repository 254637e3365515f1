// The switch to an action table's application directory and back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "action_table.h"

#pragma pack(push, 1)
// The controller's fields for the switch, kept between calls.
struct AppDirSwitch {
    static constexpr uint32_t kPathWidth = 260;

    char savedDrive = 0;   // drive before the switch; 0 = nothing saved
    char separator = '\\'; // with savedDir, one 256-byte path from the root
    char savedDir[255] = {};
    uint8_t dirSize = 255;
    char workPath[kPathWidth] = {};
    char creationPath[257] = {};
    uint32_t nameEnd = 0; // positions, from 1, in appDir and in workPath
    uint32_t valueEnd = 0;
    // Result of the last drive or directory call of the switch; running an action
    // stores ALLOCSHAREDMEM's result here too, and WAITEXE's under run mode 1.
    int32_t callStatus = 0;
};
#pragma pack(pop)

static_assert(offsetof(AppDirSwitch, separator) == 1);
static_assert(offsetof(AppDirSwitch, savedDir) == 2);
static_assert(offsetof(AppDirSwitch, dirSize) == 257);
static_assert(offsetof(AppDirSwitch, workPath) == 258);
static_assert(offsetof(AppDirSwitch, creationPath) == 518);
static_assert(offsetof(AppDirSwitch, nameEnd) == 775);
static_assert(offsetof(AppDirSwitch, callStatus) == 783);

namespace appdir {

// Fills the work path from appDir (260 bytes): a leading "$NAME" stands for the first
// element of value, that variable's value (empty when unset), of which at most the
// work path's width counts.
void expand(AppDirSwitch &dirSwitch, const char *appDir, std::string_view value);

// Saves the current drive and directory, then makes the header's application
// directory current, creating missing levels. Returns callStatus.
int32_t switch_to(AppDirSwitch &dirSwitch, const ActionHeader &header);

// Returns to the saved drive and directory when a switch back is due.
void switch_back(AppDirSwitch &dirSwitch);

} // namespace appdir
