// The controller's fields for the switch to an action table's application directory,
// and the expansion of appDir into the switch's work path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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

// The character at a position (from 1) of a 260-byte field.
inline char at(const char *field, uint32_t position) { return field[position - 1]; }

// True for the characters that end a variable name or a path level: a space, NUL, "\"
// or "/".
bool ends_name(char character);

// Position of the character that ends a "$" appDir's variable name: a space, NUL, "\"
// or "/"; the scan stops at the field's end, so 261 is one past appDir.
uint32_t name_end(const char *appDir);

// The name of the variable a "$" appDir names: positions 2 up to the name's end.
std::string variable_name(const char *appDir);

// Fills the work path from appDir (260 bytes): a leading "$NAME" stands for the first
// element of value, that variable's value (empty when unset), of which at most the
// work path's width counts.
void expand(AppDirSwitch &dirSwitch, const char *appDir, std::string_view value);

} // namespace appdir
