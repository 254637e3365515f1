// The controller program TARVEL: its three entries, the start-by-hand message box and
// the loop over the actions of a table.
#include <windows.h>

#include "action_file.h"
#include "controller.h"
#include "entries.h"
#include "program.h"
#include "run_action.h"
#include "text_field.h"
#include "turn.h"

Controller g_controller;

namespace {

// Runs entries 1 to actionCount of table, each in the launch turn, so that launches of
// other threads go between two actions; reaching an entry past the table's 500 is the
// run-time's error 153.
void run_actions(ActionTable &table, int32_t *runMode, int32_t &returnCode)
{
    ControllerRun &run = g_controller.run;
    returnCode = CBL_GET_OS_INFO(run.osInfo);
    for (run.actionIndex = 1; run.actionIndex <= run.actionCount; ++run.actionIndex) {
        if (run.actionIndex > kMaxActions)
            qx_runtime_error(QX_ERROR_SUBSCRIPT, "TARVEL action entry 501");
        if (!frame::in_launch_turn([&] { run_action(g_controller, table, runMode, returnCode); })) {
            returnCode = kControllerBusy;
            return;
        }
    }
    // A notice sent now or by an earlier run is still pending: the pipe's two calls end
    // the run.
    if (run.noticeReadHandle != 0) {
        HANDLE notice = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(run.noticeReadHandle));
        returnCode = WAITSHAREDMEM(notice);
        returnCode = FREESHAREDMEM(notice);
    }
}

// From the check of the file name on: the start-by-hand box when there is none, else
// the load and the run of the file's table. Ends as an entry nothing called.
int32_t run_action_file(void *entry, int32_t *runMode, int32_t returnCode)
{
    ControllerRun &run = g_controller.run;
    if (frame::field_is_blank(run.fileName, sizeof run.fileName)) {
        returnCode = MessageBoxA(nullptr, run.messageText, run.messageCaption, 0);
        return frame::finish(entry, returnCode);
    }
    if (load_action_file(run, returnCode))
        run_actions(*run.loadedBlock, runMode, returnCode);
    return frame::finish(entry, returnCode);
}

} // namespace

// Controller runs on different threads take turns, so that each table runs whole and
// in its order; an entry called from inside a run or launch on its own thread is refused.
// A table's actions take the launch turn one at a time (see run_actions).
extern "C" int32_t TARVEL(int32_t *runMode)
{
    int32_t returnCode = 0;
    frame::first_call(g_controller, returnCode);
    frame::TableHold turn;
    if (!turn.taken())
        return frame::finish(reinterpret_cast<void *>(&TARVEL), kControllerBusy);
    qx_command_line(g_controller.run.fileName, sizeof g_controller.run.fileName);
    return run_action_file(reinterpret_cast<void *>(&TARVEL), runMode, returnCode);
}

extern "C" int32_t tarvelthread(uint32_t number)
{
    int32_t returnCode = 0;
    frame::first_call(g_controller, returnCode);
    frame::TableHold turn;
    if (!turn.taken())
        return frame::finish(reinterpret_cast<void *>(&tarvelthread), kControllerBusy);
    ControllerRun &run = g_controller.run;
    qx_number_to_text(number, run.threadDigits, sizeof run.threadDigits);
    frame::copy_padded(run.fileName, sizeof run.fileName,
                       std::string_view(run.threadDigits, sizeof run.threadDigits));
    return run_action_file(reinterpret_cast<void *>(&tarvelthread), nullptr, returnCode);
}

extern "C" int32_t TR010Action(ActionTable *table, int32_t *runMode)
{
    int32_t returnCode = 0;
    frame::first_call(g_controller, returnCode);
    frame::TableHold turn;
    if (!turn.taken()) {
        returnCode = kControllerBusy;
    } else if (table == nullptr) {
        returnCode = kNoActionTable;
    } else {
        g_controller.run.actionCount = 1;
        run_actions(*table, runMode, returnCode);
    }
    return frame::finish(reinterpret_cast<void *>(&TR010Action), returnCode);
}
