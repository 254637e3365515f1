// TR0Set0AppDir and TR0Reset0CurDir: the controller's application directory switch.
#include "appdir.h"

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
