// TR0Set0AppDir and TR0Reset0CurDir: the controller's application directory switch.
#include "appdir.h"

#include <cstring>

#include "controller.h"
#include "entries.h"
#include "program.h"
#include "text_field.h"
#include "turn.h"

namespace appdir {

namespace {

constexpr uint32_t kWidth = AppDirSwitch::kPathWidth;

// The n-th character (from 1) of a 260-byte field.
char at(const char *field, uint32_t n) { return field[n - 1]; }

bool ends_name(char c) { return c == ' ' || c == '\0' || c == '\\' || c == '/'; }

// Length of appDir's text from position from: a NUL ends it, as it ends the name.
uint32_t rest_length(const char *appDir, uint32_t from)
{
    uint32_t n = 0;
    while (from + n <= kWidth && at(appDir, from + n) != '\0')
        ++n;
    return n;
}

// Creates the directories of the work path level by level, from the root down.
void create_levels(AppDirSwitch &s)
{
    for (uint32_t k = 4;; ++k) {
        while (k < kWidth && !ends_name(at(s.workPath, k)))
            ++k;
        uint32_t count = k - 2 < sizeof s.creationPath - 2 ? k - 2 : sizeof s.creationPath - 2;
        std::memcpy(s.creationPath, s.workPath + 2, count);
        std::memset(s.creationPath + count, ' ', sizeof s.creationPath - count);
        if (frame::is_path_separator(s.creationPath[count - 1]))
            s.creationPath[count - 1] = ' ';
        s.callStatus = CBL_CREATE_DIR(s.creationPath);
        if (k >= kWidth || at(s.workPath, k) == ' ')
            break;
    }
}

} // namespace

void expand(AppDirSwitch &s, const char *appDir)
{
    std::memset(s.workPath, ' ', kWidth);
    if (appDir[0] != '$') {
        std::memcpy(s.workPath, appDir, rest_length(appDir, 1));
        return;
    }
    // Both scans stop at the end of their field: e = 261 is one past appDir.
    uint32_t e = 2;
    while (e <= kWidth && !ends_name(at(appDir, e)))
        ++e;
    s.nameEnd = e;
    char name[kWidth];
    std::memcpy(name, appDir + 1, e - 2);
    name[e - 2] = '\0';
    qx_get_env(name, s.workPath, kWidth);

    uint32_t v = 1;
    while (v <= kWidth && at(s.workPath, v) != ' ' && at(s.workPath, v) != ';')
        ++v;
    s.valueEnd = v;
    if (v == 1 && e <= kWidth && frame::is_path_separator(at(appDir, e)))
        ++e;
    if (v <= kWidth)
        std::memset(s.workPath + v - 1, ' ', kWidth - v + 1);
    if (e > kWidth || v > kWidth)
        return;
    uint32_t count = rest_length(appDir, e);
    if (count > kWidth - v + 1)
        count = kWidth - v + 1;
    std::memcpy(s.workPath + v - 1, appDir + e - 1, count);
}

int32_t switch_to(AppDirSwitch &s, const ActionHeader &header)
{
    if (header.appDir[0] == '\0') {
        s.savedDrive = 0;
        return s.callStatus;
    }
    s.callStatus = PC_READ_DRIVE(&s.savedDrive);
    s.callStatus = CBL_READ_DIR(s.savedDir, &s.dirSize);
    expand(s, header.appDir);
    ABSPATH(s.workPath, s.workPath);

    s.callStatus = PC_SET_DRIVE(s.workPath);
    if (s.callStatus != 0)
        return s.callStatus;
    s.callStatus = CBL_CHANGE_DIR(s.workPath + 2);
    if (s.callStatus == 0)
        return 0;
    create_levels(s);
    s.callStatus = CBL_CHANGE_DIR(s.workPath + 2);
    if (s.callStatus != 0) {
        // Neither entered nor created: back where the switch began, status kept.
        PC_SET_DRIVE(&s.savedDrive);
        CBL_CHANGE_DIR(&s.separator);
    }
    return s.callStatus;
}

void switch_back(AppDirSwitch &s)
{
    if (s.savedDrive == 0)
        return;
    s.callStatus = PC_SET_DRIVE(&s.savedDrive);
    s.callStatus = CBL_CHANGE_DIR(&s.separator);
    s.savedDrive = 0;
}

} // namespace appdir

extern "C" int32_t TR0Set0AppDir(const ActionTable *table)
{
    int32_t returnCode = 0;
    frame::first_call(g_controller, returnCode);
    frame::TurnHold turn(frame::g_runTurn, frame::Nested::Refused);
    if (!turn.taken())
        returnCode = kControllerBusy;
    else if (table != nullptr)
        returnCode = appdir::switch_to(g_controller.dirSwitch, table->header);
    else
        returnCode = g_controller.dirSwitch.callStatus;
    return frame::finish(reinterpret_cast<void *>(&TR0Set0AppDir), returnCode);
}

extern "C" int32_t TR0Reset0CurDir(void)
{
    int32_t returnCode = 0;
    frame::first_call(g_controller, returnCode);
    frame::TurnHold turn(frame::g_runTurn, frame::Nested::Refused);
    if (!turn.taken())
        return frame::finish(reinterpret_cast<void *>(&TR0Reset0CurDir), kControllerBusy);
    appdir::switch_back(g_controller.dirSwitch);
    g_controller.dirSwitch.callStatus = 0;
    returnCode = 0;
    return frame::finish(reinterpret_cast<void *>(&TR0Reset0CurDir), returnCode);
}
