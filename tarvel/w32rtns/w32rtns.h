// The storage of the routine library W32RTNS, kept for the life of the process and
// shared by all threads, and the steps its routines share.
#pragma once

#include <windows.h>

#include <cstdint>

#include "command_line.h"
#include "output_lines.h"
#include "shared_field.h"
#include "shared_memory.h"
#include "window_routines.h"

// The two values of the launch's wait and redirection markers.
constexpr char kMarkerOn = 'y';
constexpr char kMarkerOff = 'n';

// The launch routines' fields.
struct LaunchState {
    // Result of the last routine call: 0 success, 1 failure as a rule.
    int32_t status = 0;
    PROCESS_INFORMATION processInformation{};
    STARTUPINFOA startupInformation{};
    // Program text, one space, argument text, NUL.
    char commandLine[1024] = {};
    // Environment block handed to the new process.
    void *environment = nullptr;
    // 'y' during WAITEXE, 'n' during the other launch routines.
    char waitMarker = 0;
    // 'y' from the pipe set-up until the end of the launch that set it.
    char redirectionMarker = 0;
    // Exit code of the last waited child; 0 until one has been waited for.
    uint32_t lastExitCode = 0;
    HANDLE threadHandle = nullptr;
    void *threadStart = nullptr;
    uint32_t threadArgument = 0;
    DWORD threadId = 0;
    // Name of the entry STARTTHREAD starts, NUL-ended for the lookup.
    char threadEntryName[13] = "tarvelthread";
};

static_assert(sizeof(PROCESS_INFORMATION) == 16);
static_assert(sizeof(STARTUPINFOA) == 68);

// The output redirection's fields: the line buffer with its 1-based indexes (the line
// splitting's), pipes, saved standard handles and the output window.
struct RedirectionState : LineBuffer {
    SECURITY_ATTRIBUTES pipeSecurity{};
    HANDLE outputRead = nullptr;
    HANDLE outputWrite = nullptr;
    HANDLE inputRead = nullptr;
    HANDLE inputWrite = nullptr;
    // Non-inheritable duplicate of the input write end.
    HANDLE keptInputWrite = nullptr;
    HANDLE savedInput = nullptr;
    HANDLE savedOutput = nullptr;
    HANDLE savedError = nullptr;
    HANDLE currentProcess = nullptr;
    // Window that receives the line messages; 0 means none.
    int32_t outputWindow = 0;
    // Thread that owns the output window, named to the run turn while a line is sent.
    DWORD outputWindowThread = 0;
    HLOCAL memoryBlock = nullptr;
    void *memoryAddress = nullptr;
    // Name of the host entry that names the output window, NUL-ended for the lookup.
    char entryName[23] = "QuennetGetOutputHandle";
    char messageText[27] = "Contact Technical Support.";
    char messageCaption[20] = "Redirection Failure";
};

struct W32rtns {
    uint8_t initialised = 0;
    LaunchState launch;
    RedirectionState redirection;
    SharedMemoryState sharedMemory;
    WindowState windows;
};

extern W32rtns g_w32rtns;

// Stores a routine's result as the program's status and returns it.
inline int32_t set_status(int32_t value)
{
    frame::shared_store(g_w32rtns.launch.status, value);
    return value;
}

// The line message sent to the output window for each line of a child's output.
constexpr UINT kOutputLineMessage = 0x0402;

// What a launch itself found: whether its child was created, and the child's id.
struct LaunchOutcome {
    bool created = false;
    DWORD processId = 0;
};

// Pipe set-up before a redirected launch: the process's standard handles become pipe
// ends for the child to inherit.
void OpenRedirection(W32rtns &program);
// Output collection after the child's creation was tried: restores the standard
// handles, asks the host for its output window, sends every line until end of file
// (none when the child was not created), and closes the launch's pipe ends.
void PumpChildOutput(W32rtns &program, bool childCreated);
// One line to the output window as message 0x0402 with a movable local block that
// holds the line and a NUL; the block is the receiver's to free.
void SendOutputLine(RedirectionState &redirection, const char *line, uint32_t length);
// The launch shared by the four launch routines, once the command line is built and
// the wait marker set, and, for the redirected routines, after the pipe set-up.
// environment: address of the caller's field with the child's environment block, null
// or a null field for the caller's own. Leaves status 0 or 1 and returns the outcome.
LaunchOutcome LaunchCommand(W32rtns &program, void *const *environment);
