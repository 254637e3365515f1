// Running one action: the switch to the application directory, the program and
// command line by kind, the launch chosen by run mode and recorded process, the
// completion notice, and the switch back.
#include "run_action.h"

#include <cstring>

#include "action_table.h"
#include "appdir.h"
#include "entries.h"
#include "owner.h"
#include "qurdex.h"
#include "shared_memory.h"

namespace {

using action::Launch;

void *const *environment_field(ActionRun &actionRun)
{
    return reinterpret_cast<void *const *>(&actionRun.environment);
}

// Kind 5: the entry goes into a pipe block for a hand-over program, whose name then
// stands in the entry's program field. False when no block could be made.
bool prepare_hand_over(Controller &controller, ActionTable &table, ActionEntry &entry,
                       uint8_t osType, int32_t &returnCode)
{
    ActionRun &actionRun = controller.action;
    PipeFields &pipe = actionRun.handOverPipe;
    controller.dirSwitch.callStatus =
        ALLOCSHAREDMEM(&pipe.readHandle, &pipe.writeHandle, &pipe.data, sizeof(HandOverBlock));
    if (controller.dirSwitch.callStatus != 0)
        return false;
    qx_number_to_text(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pipe.readHandle)),
                      actionRun.handleDigits, 10);
    actionRun.handleDigits[10] = '\0';
    auto *block = static_cast<HandOverBlock *>(pipe.data);
    std::memcpy(block->sharedPart, table.header.sharedPart, sizeof block->sharedPart);
    action::hand_over_command_line(actionRun.handleDigits, actionRun.commandLine);
    std::memcpy(block->entry, &entry, sizeof block->entry);
    actionRun.sentBlock = *block;
    returnCode = WRITESHAREDMEM(pipe.writeHandle, pipe.data);
    pipe.data = nullptr;
    action::write_hand_over_program(table.header.processId, osType, entry.program);
    returnCode = QUERYEXE(entry.program, &actionRun.kind, &actionRun.environment);
    return true;
}

// Once the hand-over program has ended, nobody else reads the pipe: the controller
// closes its ends, so a hand-over action leaves no handles behind.
void close_hand_over_pipe(ActionRun &a)
{
    owner::close_field(a.handOverPipe.readHandle);
    owner::close_field(a.handOverPipe.writeHandle);
}

// True when the block lying first in the hand-over pipe is the controller's own, as
// it was sent: the hand-over program never read it (it ignores its pipe), so it is no
// reply. A program that read it and sent it back unchanged cannot be told apart; its
// reply would change nothing but the program name, which then stays as the run left it.
bool own_block_unread(const ActionRun &actionRun)
{
    uint8_t lying[sizeof(BlockHeader) + sizeof(HandOverBlock)];
    DWORD peeked = 0;
    if (!PeekNamedPipe(actionRun.handOverPipe.readHandle, lying, sizeof lying, &peeked, nullptr,
                       nullptr) ||
        peeked != sizeof lying)
        return false;
    const BlockHeader sent = {sizeof lying, handle_field(actionRun.handOverPipe.writeHandle)};
    return std::memcmp(lying, &sent, sizeof sent) == 0 &&
           std::memcmp(lying + sizeof sent, &actionRun.sentBlock, sizeof actionRun.sentBlock) == 0;
}

// After a hand-over program started by SINGLEXE has ended: an updated entry comes back
// when the program wrote a hand-over block into the pipe it received (it holds the
// write end); its entry part then replaces the entry's first 1584 bytes. Only a block
// that lies whole in the pipe is read, so the controller never waits here; a program
// that did not start, or left the controller's block unread, sent nothing back.
void copy_back(ActionRun &actionRun, ActionEntry &entry, bool started, int32_t &returnCode)
{
    HANDLE pipe = actionRun.handOverPipe.readHandle;
    BlockHeader header{};
    DWORD peeked = 0, available = 0;
    if (started && !own_block_unread(actionRun) &&
        PeekNamedPipe(pipe, &header, sizeof header, &peeked, &available, nullptr) &&
        peeked == sizeof header && header.totalLength >= sizeof header &&
        header.totalLength <= available) {
        HANDLE writeHandle = nullptr;
        void *data = nullptr;
        returnCode = READSHAREDMEM(pipe, &writeHandle, &data);
        if (returnCode == 0 && header.totalLength == sizeof header + sizeof(HandOverBlock))
            std::memcpy(&entry, static_cast<HandOverBlock *>(data)->entry, kEntryHandOverPart);
        // The controller's own write end is closed, whatever handle the header names.
        returnCode = FINISHSHAREDMEM(pipe, actionRun.handOverPipe.writeHandle, data);
        actionRun.handOverPipe.readHandle = nullptr;
        actionRun.handOverPipe.writeHandle = nullptr;
    }
    actionRun.lastProcessId = static_cast<int32_t>(entry.reportedProcessId);
}

// The 20-byte notice with the exit code and the tag, in a new pipe whose read handle
// the entry's window receives with message 0x2001.
void send_notice(Controller &controller, const ActionEntry &entry, int32_t &returnCode)
{
    ActionRun &actionRun = controller.action;
    HANDLE readHandle = nullptr;
    controller.dirSwitch.callStatus = ALLOCSHAREDMEM(
        &readHandle, &actionRun.noticeWriteHandle, &actionRun.noticeData, sizeof(CompletionNotice));
    controller.run.noticeReadHandle =
        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(readHandle));
    if (controller.dirSwitch.callStatus != 0)
        return;
    // The notice is for a window of this process: no child started later inherits its
    // pipe, which stays open until the receiver finishes the notice.
    SetHandleInformation(readHandle, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(actionRun.noticeWriteHandle, HANDLE_FLAG_INHERIT, 0);
    auto *notice = static_cast<CompletionNotice *>(actionRun.noticeData);
    notice->one = 1;
    notice->exitCode = actionRun.exitCode;
    std::memcpy(notice->noticeTag, entry.noticeTag, sizeof notice->noticeTag);
    returnCode = WRITESHAREDMEM(actionRun.noticeWriteHandle, actionRun.noticeData);
    actionRun.noticeData = nullptr;
    returnCode = SENDMSG(reinterpret_cast<HWND>(static_cast<uintptr_t>(entry.window)),
                         controller.run.noticeReadHandle, 0);
}

void start(Controller &controller, ActionTable &table, ActionEntry &entry, const int32_t *runMode,
           uint8_t osType, int32_t &returnCode)
{
    ActionRun &actionRun = controller.action;
    char program[261];
    action::bounded_program(entry.program, program);
    const char *runFlag = reinterpret_cast<const char *>(&entry.runFlag);
    const bool handOver = entry.kind == kKindHandOver;
    switch (action::choose_launch(runMode, table.header.processId)) {
    case Launch::WaitExe:
        returnCode = WAITEXE(runFlag, program, actionRun.commandLine, entry.title,
                             environment_field(actionRun), &actionRun.exitCode);
        if (runMode == nullptr) {
            if (action::wants_notice(entry))
                send_notice(controller, entry, returnCode);
            break;
        }
        controller.dirSwitch.callStatus = returnCode;
        actionRun.lastProcessId = 1;
        if (handOver) {
            returnCode = WAITSHAREDMEM(actionRun.handOverPipe.readHandle);
            returnCode = FREESHAREDMEM(actionRun.handOverPipe.readHandle);
        }
        break;
    case Launch::SingleExe: {
        returnCode = SINGLEXE(runFlag, program, actionRun.commandLine, entry.title,
                              environment_field(actionRun), &actionRun.lastProcessId);
        const bool started = returnCode == 0;
        if (handOver) {
            returnCode = WAITSHAREDMEM(actionRun.handOverPipe.readHandle);
            if (!action::is_9x_family(osType))
                copy_back(actionRun, entry, started, returnCode);
            returnCode = FREESHAREDMEM(actionRun.handOverPipe.readHandle);
        }
        break;
    }
    case Launch::QuennetStartExe:
        returnCode = QUENNETSTARTEXE(runFlag, program, actionRun.commandLine, entry.title,
                                     environment_field(actionRun), &actionRun.lastProcessId);
        if (handOver) {
            returnCode = WAITSHAREDMEM(actionRun.handOverPipe.readHandle);
            returnCode = FREESHAREDMEM(actionRun.handOverPipe.readHandle);
        }
        break;
    }
}

} // namespace

void run_action(Controller &controller, ActionTable &table, int32_t *runMode, int32_t &returnCode)
{
    ActionEntry &entry = table.entries[controller.run.actionIndex - 1];
    const uint8_t osType = controller.run.osInfo[kOsTypeOffset];
    controller.action.environment = nullptr;
    appdir::switch_to(controller.dirSwitch, table.header);
    if (entry.kind == kKindHandOver) {
        // Without a block the action ends here, in the application directory.
        if (!prepare_hand_over(controller, table, entry, osType, returnCode))
            return;
    } else if (entry.kind == kKindInterpreter) {
        action::interpreter_command_line(entry, osType, controller.action.commandLine);
    } else {
        action::direct_command_line(entry, controller.action.commandLine);
    }
    if (entry.runFlag == 0) {
        returnCode = 1;
    } else {
        start(controller, table, entry, runMode, osType, returnCode);
        table.header.processId = static_cast<uint32_t>(controller.action.lastProcessId);
    }
    if (entry.kind == kKindHandOver)
        close_hand_over_pipe(controller.action);
    appdir::switch_back(controller.dirSwitch);
}
