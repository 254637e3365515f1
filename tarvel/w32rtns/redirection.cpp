// Output redirection: the pipe set-up before a redirected launch and the collection
// of the child's output into line messages to the host's output window.
#include <cstring>

#include "owner.h"
#include "qurdex.h"
#include "turn.h"
#include "w32rtns.h"

namespace {

// The host entry that names the output window.
using OutputHandleEntry = int32_t (*)(int32_t *window);

HWND output_window(const RedirectionState &redirection)
{
    return reinterpret_cast<HWND>(static_cast<intptr_t>(redirection.outputWindow));
}

} // namespace

// No step's result is checked, on purpose: a failed step leaves its handle fields as
// they were, the child then starts with whatever standard handles are current and the
// collection ends at its first failed read, so the launch still reports only whether
// the program started.
void OpenRedirection(W32rtns &program)
{
    RedirectionState &r = program.redirection;
    program.launch.redirectionMarker = kMarkerOn;
    r.pipeSecurity = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};

    // Standard error shares the output pipe, so both streams arrive interleaved in
    // the order the child writes them.
    r.savedOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    CreatePipe(&r.outputRead, &r.outputWrite, &r.pipeSecurity, 0);
    SetStdHandle(STD_OUTPUT_HANDLE, r.outputWrite);
    r.savedError = GetStdHandle(STD_ERROR_HANDLE);
    SetStdHandle(STD_ERROR_HANDLE, r.outputWrite);

    r.savedInput = GetStdHandle(STD_INPUT_HANDLE);
    CreatePipe(&r.inputRead, &r.inputWrite, &r.pipeSecurity, 0);
    SetStdHandle(STD_INPUT_HANDLE, r.inputRead);

    // The child must not inherit a write end of its own input pipe.
    r.currentProcess = GetCurrentProcess();
    DuplicateHandle(r.currentProcess, r.inputWrite, r.currentProcess, &r.keptInputWrite, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    owner::close_field(r.inputWrite);
}

void SendOutputLine(RedirectionState &r, const char *line, uint32_t length)
{
    if (r.outputWindow == 0)
        return;
    owner::unique_hlocal block(LocalAlloc(LMEM_MOVEABLE, length + 1));
    r.memoryBlock = block.get();
    if (!block)
        return;
    r.memoryAddress = LocalLock(r.memoryBlock);
    if (r.memoryAddress == nullptr) {
        // The block is freed on return; the field must not name it.
        r.memoryBlock = nullptr;
        return;
    }
    char *bytes = static_cast<char *>(r.memoryAddress);
    bytes[length] = '\0';
    std::memcpy(bytes, line, length);
    LocalUnlock(r.memoryBlock);
    // While the send lasts, a call the window's thread makes from its handler is not
    // left waiting for the turn this launch holds.
    frame::sending_line_to(r.outputWindowThread);
    // The block is handed over with the message; freeing it is the receiver's part.
    SendMessageA(output_window(r), kOutputLineMessage, 1,
                 reinterpret_cast<LPARAM>(block.release()));
    frame::sending_line_to(0);
}

void PumpChildOutput(W32rtns &program, bool childCreated)
{
    RedirectionState &r = program.redirection;
    SetStdHandle(STD_INPUT_HANDLE, r.savedInput);
    SetStdHandle(STD_OUTPUT_HANDLE, r.savedOutput);
    SetStdHandle(STD_ERROR_HANDLE, r.savedError);

    // From here the pipe reaches end of file once every holder of the write end (the
    // child and whatever inherited it from the child) has closed it.
    owner::close_field(r.outputWrite);
    // The child holds its own copy of its input; with both of ours closed its
    // standard input delivers end of file at once instead of a read that never ends.
    owner::close_field(r.inputRead);
    owner::close_field(r.keptInputWrite);

    auto entry = reinterpret_cast<OutputHandleEntry>(qx_resolve(r.entryName));
    entry(&r.outputWindow);
    if (r.outputWindow == 0)
        MessageBoxA(nullptr, r.messageText, r.messageCaption, MB_OK);
    r.outputWindowThread = GetWindowThreadProcessId(output_window(r), nullptr);

    const LineSink send = [&r](const char *line, uint32_t length) {
        SendOutputLine(r, line, length);
    };
    StartOutput(r);
    for (;;) {
        DWORD bytesRead = 0;
        BOOL read = ReadFile(r.outputRead, &r.outputBuffer[r.fillPosition - 1], FreeSpace(r),
                             &bytesRead, nullptr);
        if (!childCreated || !read || bytesRead == 0)
            break;
        SplitReadBytes(r, bytesRead, send);
    }
    FinishOutput(r, send);
    owner::close_field(r.outputRead);
}
