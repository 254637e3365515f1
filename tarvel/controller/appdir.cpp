// TR0Set0AppDir and TR0Reset0CurDir: the controller's application directory switch.
#include "appdir.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "controller.h"
#include "entries.h"
#include "program.h"
#include "qurdex.h"
#include "text_field.h"
#include "turn.h"

namespace appdir {

namespace {

constexpr uint32_t kWidth = AppDirSwitch::kPathWidth;

// The character at a position (from 1) of a 260-byte field.
char at(const char *field, uint32_t position) { return field[position - 1]; }

bool ends_name(char character)
{
    return character == ' ' || character == '\0' || character == '\\' || character == '/';
}

// Length of appDir's text from position from: a NUL ends it, as it ends the name.
uint32_t rest_length(const char *appDir, uint32_t from)
{
    uint32_t length = 0;
    while (from + length <= kWidth && at(appDir, from + length) != '\0')
        ++length;
    return length;
}

// Position of the character that ends a "$" appDir's variable name: a space, NUL, "\"
// or "/"; the scan stops at the field's end, so 261 is one past appDir.
uint32_t name_end(const char *appDir)
{
    uint32_t end = 2;
    while (end <= kWidth && !ends_name(at(appDir, end)))
        ++end;
    return end;
}

// The name of the variable a "$" appDir names: positions 2 up to the name's end.
std::string variable_name(const char *appDir)
{
    return std::string(appDir + 1, name_end(appDir) - 2);
}

// The value of the variable a "$" appDir names, in a field of the work path's width as
// the run-time reads it (all spaces when unset); empty when appDir names none.
std::string variable_value(const char *appDir)
{
    if (appDir[0] != '$')
        return {};
    std::string value(kWidth, ' ');
    qx_get_env(variable_name(appDir).c_str(), value.data(), kWidth);
    return value;
}

// Creates the directories of the work path level by level, from the root down.
void create_levels(AppDirSwitch &dirSwitch)
{
    for (uint32_t k = 4;; ++k) {
        while (k < kWidth && !ends_name(at(dirSwitch.workPath, k)))
            ++k;
        uint32_t count =
            k - 2 < sizeof dirSwitch.creationPath - 2 ? k - 2 : sizeof dirSwitch.creationPath - 2;
        std::memcpy(dirSwitch.creationPath, dirSwitch.workPath + 2, count);
        std::memset(dirSwitch.creationPath + count, ' ', sizeof dirSwitch.creationPath - count);
        if (frame::is_path_separator(dirSwitch.creationPath[count - 1]))
            dirSwitch.creationPath[count - 1] = ' ';
        dirSwitch.callStatus = CBL_CREATE_DIR(dirSwitch.creationPath);
        if (k >= kWidth || at(dirSwitch.workPath, k) == ' ')
            break;
    }
}

// Selects the saved drive and enters the saved directory: the 256 bytes from the
// separator, "\" and savedDir, and no more, as CBL_CHANGE_DIR would read on past a
// savedDir that fills its field. Returns the directory's status.
int32_t return_to_saved(const AppDirSwitch &dirSwitch)
{
    PC_SET_DRIVE(&dirSwitch.savedDrive);
    std::string saved = frame::field_text(&dirSwitch.separator, 1 + sizeof dirSwitch.savedDir);
    return CBL_CHANGE_DIR(saved.c_str());
}

} // namespace

void expand(AppDirSwitch &dirSwitch, const char *appDir, std::string_view value)
{
    std::memset(dirSwitch.workPath, ' ', kWidth);
    if (appDir[0] != '$') {
        std::memcpy(dirSwitch.workPath, appDir, rest_length(appDir, 1));
        return;
    }
    uint32_t nameEnd = name_end(appDir);
    dirSwitch.nameEnd = nameEnd;
    std::memcpy(dirSwitch.workPath, value.data(), std::min<size_t>(value.size(), kWidth));

    // The value's first element; the scan stops at the field's end, one past it.
    uint32_t valueEnd = 1;
    while (valueEnd <= kWidth && at(dirSwitch.workPath, valueEnd) != ' ' &&
           at(dirSwitch.workPath, valueEnd) != ';')
        ++valueEnd;
    dirSwitch.valueEnd = valueEnd;
    if (valueEnd == 1 && nameEnd <= kWidth && frame::is_path_separator(at(appDir, nameEnd)))
        ++nameEnd;
    if (valueEnd <= kWidth)
        std::memset(dirSwitch.workPath + valueEnd - 1, ' ', kWidth - valueEnd + 1);
    if (nameEnd > kWidth || valueEnd > kWidth)
        return;
    uint32_t count = rest_length(appDir, nameEnd);
    if (count > kWidth - valueEnd + 1)
        count = kWidth - valueEnd + 1;
    std::memcpy(dirSwitch.workPath + valueEnd - 1, appDir + nameEnd - 1, count);
}

int32_t switch_to(AppDirSwitch &dirSwitch, const ActionHeader &header)
{
    if (header.appDir[0] == '\0') {
        dirSwitch.savedDrive = 0;
        return dirSwitch.callStatus;
    }
    dirSwitch.callStatus = PC_READ_DRIVE(&dirSwitch.savedDrive);
    dirSwitch.callStatus = CBL_READ_DIR(dirSwitch.savedDir, &dirSwitch.dirSize);
    expand(dirSwitch, header.appDir, variable_value(header.appDir));
    ABSPATH(dirSwitch.workPath, dirSwitch.workPath);

    dirSwitch.callStatus = PC_SET_DRIVE(dirSwitch.workPath);
    if (dirSwitch.callStatus != 0)
        return dirSwitch.callStatus;
    dirSwitch.callStatus = CBL_CHANGE_DIR(dirSwitch.workPath + 2);
    if (dirSwitch.callStatus == 0)
        return 0;
    create_levels(dirSwitch);
    dirSwitch.callStatus = CBL_CHANGE_DIR(dirSwitch.workPath + 2);
    // Neither entered nor created: back where the switch began, status kept.
    if (dirSwitch.callStatus != 0)
        return_to_saved(dirSwitch);
    return dirSwitch.callStatus;
}

void switch_back(AppDirSwitch &dirSwitch)
{
    if (dirSwitch.savedDrive == 0)
        return;
    dirSwitch.callStatus = return_to_saved(dirSwitch);
    dirSwitch.savedDrive = 0;
}

} // namespace appdir

extern "C" int32_t TR0Set0AppDir(const ActionTable *table)
{
    int32_t returnCode = 0;
    frame::first_call(g_controller, returnCode);
    frame::TableHold hold;
    const bool done = hold.taken() && frame::in_launch_turn([&] {
                          if (table != nullptr)
                              returnCode = appdir::switch_to(g_controller.dirSwitch, table->header);
                          else
                              returnCode = g_controller.dirSwitch.callStatus;
                      });
    if (!done)
        returnCode = kControllerBusy;
    return frame::finish(reinterpret_cast<void *>(&TR0Set0AppDir), returnCode);
}

extern "C" int32_t TR0Reset0CurDir(void)
{
    int32_t returnCode = 0;
    frame::first_call(g_controller, returnCode);
    frame::TableHold hold;
    const bool done = hold.taken() && frame::in_launch_turn([] {
                          appdir::switch_back(g_controller.dirSwitch);
                          g_controller.dirSwitch.callStatus = 0;
                      });
    returnCode = done ? 0 : kControllerBusy;
    return frame::finish(reinterpret_cast<void *>(&TR0Reset0CurDir), returnCode);
}
