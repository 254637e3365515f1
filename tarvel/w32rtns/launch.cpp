// W32RTNS: starting programs (with or without output redirection and waiting),
// starting controller threads, and the process environment.
#include <cstring>
#include <mutex>

#include "big_endian.h"
#include "entries.h"
#include "handle_field.h"
#include "program.h"
#include "qurdex.h"
#include "w32rtns.h"

W32rtns g_w32rtns;

namespace {

// Launches share the launch fields and a redirected launch swaps the process-wide
// standard handles, so launches from several threads take turns.
std::mutex g_launchTurn;

using ThreadEntry = int32_t (*)(uint32_t argument);

// Windows calls a thread start with its own calling convention; the entry uses the
// C one, so the thread starts here and calls the entry.
DWORD WINAPI thread_start(LPVOID argument)
{
    auto entry = reinterpret_cast<ThreadEntry>(g_w32rtns.launch.threadStart);
    return static_cast<DWORD>(entry(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(argument))));
}

int32_t set_status(int32_t value)
{
    g_w32rtns.launch.status = value;
    return value;
}

// The pipe set-up and the launch of WAITEXE, QUENNETSTARTEXE and SINGLEXE. A program
// and argument text too long for the command line are refused: status 1, nothing
// set up or started.
void redirected_launch(char waitMarker, const char *program, const char *arguments,
                       void *const *environment)
{
    LaunchState &l = g_w32rtns.launch;
    l.waitMarker = waitMarker;
    if (!BuildCommandLine(l.commandLine, program, arguments)) {
        set_status(1);
        return;
    }
    OpenRedirection(g_w32rtns);
    LaunchCommand(g_w32rtns, environment);
}

// QUENNETSTARTEXE and SINGLEXE: a redirected launch that hands back the process id.
int32_t start_and_report_id(const char *program, const char *arguments, void *const *environment,
                            int32_t *processId)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    std::lock_guard<std::mutex> turn(g_launchTurn);
    LaunchState &l = g_w32rtns.launch;
    l.processInformation = {};
    redirected_launch('n', program, arguments, environment);
    if (processId != nullptr)
        *processId = static_cast<int32_t>(l.processInformation.dwProcessId);
    returnCode = l.status;
    return returnCode;
}

} // namespace

bool BuildCommandLine(char (&commandLine)[1024], const char *program, const char *arguments)
{
    const size_t width = sizeof commandLine;
    size_t programLength = program != nullptr ? strnlen(program, width) : 0;
    size_t argumentLength = arguments != nullptr ? strnlen(arguments, width) : 0;
    if (programLength + 1 + argumentLength + 1 > width)
        return false;
    std::memcpy(commandLine, program, programLength);
    commandLine[programLength] = ' ';
    std::memcpy(commandLine + programLength + 1, arguments, argumentLength);
    commandLine[programLength + 1 + argumentLength] = '\0';
    return true;
}

void LaunchCommand(W32rtns &program, void *const *environment)
{
    LaunchState &l = program.launch;
    // A block taken from the process is a copy of its own and is freed after the start.
    bool ownEnvironment = environment == nullptr || *environment == nullptr;
    l.environment = ownEnvironment ? GetEnvironmentStringsA() : *environment;
    l.processInformation = {};
    l.startupInformation = {};
    l.startupInformation.cb = sizeof l.startupInformation;

    if (l.waitMarker == 'y' || l.redirectionMarker == 'y') {
        // The child's main window starts hidden; its standard handles are the pipe
        // ends the pipe set-up made current.
        l.startupInformation.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
        l.startupInformation.wShowWindow = SW_HIDE;
        l.startupInformation.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        l.startupInformation.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        l.startupInformation.hStdError = GetStdHandle(STD_ERROR_HANDLE);
        l.status = CreateProcessA(nullptr, l.commandLine, nullptr, nullptr, TRUE, 0, l.environment,
                                  nullptr, &l.startupInformation, &l.processInformation);
        PumpChildOutput(program);
        WaitForSingleObject(l.processInformation.hProcess, INFINITE);
        DWORD exitCode = 0;
        if (GetExitCodeProcess(l.processInformation.hProcess, &exitCode))
            l.lastExitCode = exitCode;
    } else {
        l.status = CreateProcessA(nullptr, l.commandLine, nullptr, nullptr, TRUE, 0, l.environment,
                                  nullptr, &l.startupInformation, &l.processInformation);
    }
    if (ownEnvironment) {
        FreeEnvironmentStringsA(static_cast<LPCH>(l.environment));
        l.environment = nullptr;
    }
    close_handle_field(l.processInformation.hThread);
    close_handle_field(l.processInformation.hProcess);
    l.status = l.status != 0 ? 0 : 1;
    l.redirectionMarker = 'n';
}

extern "C" {

int32_t W32RTNS()
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    return returnCode;
}

int32_t WAITEXE(const char *, const char *program, const char *arguments, const char *,
                void *const *environment, frame::BigEndian<4> *exitCode)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    std::lock_guard<std::mutex> turn(g_launchTurn);
    LaunchState &l = g_w32rtns.launch;
    redirected_launch('y', program, arguments, environment);
    if (exitCode != nullptr)
        exitCode->set(l.lastExitCode % 1000000000u);
    returnCode = l.status;
    return returnCode;
}

int32_t QUENNETSTARTEXE(const char *, const char *program, const char *arguments, const char *,
                        void *const *environment, int32_t *processId)
{
    return start_and_report_id(program, arguments, environment, processId);
}

int32_t SINGLEXE(const char *, const char *program, const char *arguments, const char *,
                 void *const *environment, int32_t *processId)
{
    return start_and_report_id(program, arguments, environment, processId);
}

int32_t SPAWNEXE(const char *, const char *program, const char *arguments, const char *,
                 void *const *environment)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    std::lock_guard<std::mutex> turn(g_launchTurn);
    LaunchState &l = g_w32rtns.launch;
    l.waitMarker = 'n';
    if (BuildCommandLine(l.commandLine, program, arguments))
        LaunchCommand(g_w32rtns, environment);
    else
        set_status(1);
    returnCode = l.status;
    return returnCode;
}

int32_t STARTTHREAD(const char *digits)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    LaunchState &l = g_w32rtns.launch;
    l.threadArgument = qx_text_to_number(digits, 8);
    l.threadStart = qx_resolve(l.threadEntryName);
    l.threadHandle = CreateThread(nullptr, 0, &thread_start,
                                  reinterpret_cast<LPVOID>(static_cast<uintptr_t>(l.threadArgument)),
                                  0, &l.threadId);
    // The thread is never waited for or joined.
    bool started = l.threadHandle != nullptr;
    close_handle_field(l.threadHandle);
    returnCode = set_status(started ? 0 : 1);
    return returnCode;
}

int32_t AGETLASTRETURNCODEFROMWAITCH(uint32_t *lastExitCode)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    if (lastExitCode != nullptr)
        *lastExitCode = g_w32rtns.launch.lastExitCode;
    return returnCode;
}

int32_t STOPSESSIONS()
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    returnCode = set_status(0);
    return returnCode;
}

int32_t QUENNETEXESTATUS()
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    returnCode = set_status(0);
    return returnCode;
}

char *QUENNETGETENV()
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    // The block belongs to the process for its whole life; callers read it in place.
    g_w32rtns.launch.environment = GetEnvironmentStringsA();
    return static_cast<char *>(g_w32rtns.launch.environment);
}

} // extern "C"
