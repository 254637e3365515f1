// W32RTNS: starting programs (with or without output redirection and waiting),
// starting controller threads, and the process environment.
#include <algorithm>
#include <cstring>

#include "big_endian.h"
#include "child_console.h"
#include "entries.h"
#include "owner.h"
#include "program.h"
#include "qurdex.h"
#include "turn.h"
#include "w32rtns.h"

W32rtns g_w32rtns;

namespace {

// True while a launch runs; read and written only by the thread holding the launch turn.
bool g_launchRunning = false;

// Launches share the launch and redirection fields, and a redirected launch swaps the
// process-wide standard handles, so a launch holds the launch turn that a controller run
// holds for each action too (an action's own launch takes it again). A launch routine
// called on a thread whose own launch is still running (from the output window's
// handler) is refused.
class LaunchTurn {
public:
    LaunchTurn()
        : hold_(frame::g_launchTurn, frame::Nested::Allowed),
          taken_(hold_.taken() && !g_launchRunning)
    {
        if (taken_)
            g_launchRunning = true;
    }
    ~LaunchTurn()
    {
        if (taken_)
            g_launchRunning = false;
    }
    LaunchTurn(const LaunchTurn &) = delete;
    LaunchTurn &operator=(const LaunchTurn &) = delete;
    bool taken() const { return taken_; }

private:
    frame::TurnHold hold_;
    bool taken_;
};

// The exit code of the last child a launch waited for.
uint32_t last_exit_code() { return frame::shared_load(g_w32rtns.launch.lastExitCode); }

using ThreadEntry = int32_t (*)(uint32_t argument);

// Windows calls a thread start with its own calling convention; the entry uses the
// C one, so the thread starts here and calls the entry.
DWORD WINAPI thread_start(LPVOID argument)
{
    auto entry = reinterpret_cast<ThreadEntry>(frame::shared_load(g_w32rtns.launch.threadStart));
    return static_cast<DWORD>(entry(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(argument))));
}

// The pipe set-up and the launch of WAITEXE, QUENNETSTARTEXE and SINGLEXE. A program
// and argument text too long for the command line are refused: nothing set up or
// started.
LaunchOutcome redirected_launch(char waitMarker, const char *program, const char *arguments,
                                void *const *environment)
{
    LaunchState &launch = g_w32rtns.launch;
    launch.waitMarker = waitMarker;
    if (!BuildCommandLine(launch.commandLine, program, arguments))
        return {};
    OpenRedirection(g_w32rtns);
    return LaunchCommand(g_w32rtns, environment);
}

// A redirected launch in the launch turn (nothing started when the turn is taken on this
// thread already), then report(outcome) still in the turn, so that what report reads
// belongs to this launch; the status says whether the child started.
template <typename Report>
int32_t launch_in_turn(char waitMarker, const char *program, const char *arguments,
                       void *const *environment, Report report)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    LaunchOutcome outcome;
    LaunchTurn turn;
    if (turn.taken())
        outcome = redirected_launch(waitMarker, program, arguments, environment);
    report(outcome);
    return set_status(outcome.created ? 0 : 1);
}

// QUENNETSTARTEXE and SINGLEXE: a redirected launch that hands back the process id (0
// when nothing started).
int32_t start_and_report_id(const char *program, const char *arguments, void *const *environment,
                            int32_t *processId)
{
    return launch_in_turn(kMarkerOff, program, arguments, environment,
                          [processId](const LaunchOutcome &outcome) {
                              if (processId != nullptr)
                                  *processId = static_cast<int32_t>(outcome.processId);
                          });
}

} // namespace

LaunchOutcome LaunchCommand(W32rtns &program, void *const *environment)
{
    LaunchState &launch = program.launch;
    // A block taken from the process is a copy of its own and is freed after the start.
    const bool ownEnvironment = environment == nullptr || *environment == nullptr;
    void *block = ownEnvironment ? GetEnvironmentStringsA() : *environment;
    frame::shared_store(launch.environment, block);
    // What the launch decides on and closes are its own locals: routines that other
    // code calls meanwhile (the host's output-window entry, say) write the program's
    // fields too. The fields get copies for whoever reads them.
    PROCESS_INFORMATION child{};
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    const bool redirected = launch.waitMarker == kMarkerOn || launch.redirectionMarker == kMarkerOn;
    const DWORD creationFlags = PrepareChildConsole(launch.commandLine, redirected);
    if (redirected) {
        // The child's main window starts hidden; its standard handles are the pipe
        // ends the pipe set-up made current.
        startup.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
        startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    }
    LaunchOutcome outcome;
    // The run may end on another thread meanwhile: never with the start half made.
    qx_begin_whole_step();
    outcome.created = CreateProcessA(nullptr, launch.commandLine, nullptr, nullptr, TRUE,
                                     creationFlags, block, nullptr, &startup, &child) != 0;
    qx_end_whole_step();
    owner::unique_handle childThread(child.hThread);
    owner::unique_handle childProcess(child.hProcess);
    outcome.processId = child.dwProcessId;
    launch.startupInformation = startup;
    if (redirected) {
        PumpChildOutput(program, outcome.created);
        if (outcome.created) {
            WaitForSingleObject(childProcess.get(), INFINITE);
            DWORD exitCode = 0;
            if (GetExitCodeProcess(childProcess.get(), &exitCode))
                frame::shared_store(launch.lastExitCode, exitCode);
        }
    }
    if (ownEnvironment) {
        FreeEnvironmentStringsA(static_cast<LPCH>(block));
        frame::shared_store(launch.environment, nullptr);
    }
    childThread.reset();
    childProcess.reset();
    launch.processInformation = {nullptr, nullptr, child.dwProcessId,
                                 child.dwThreadId}; // the ids only
    set_status(outcome.created ? 0 : 1);
    launch.redirectionMarker = kMarkerOff;
    return outcome;
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
    // A child that did not start leaves the exit code of the last one that did.
    return launch_in_turn(kMarkerOn, program, arguments, environment,
                          [exitCode](const LaunchOutcome &) {
                              if (exitCode != nullptr)
                                  exitCode->set(last_exit_code() % 1000000000u);
                          });
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
    LaunchOutcome outcome;
    LaunchTurn turn;
    LaunchState &launch = g_w32rtns.launch;
    if (turn.taken()) {
        launch.waitMarker = kMarkerOff;
        if (BuildCommandLine(launch.commandLine, program, arguments))
            outcome = LaunchCommand(g_w32rtns, environment);
    }
    returnCode = set_status(outcome.created ? 0 : 1);
    return returnCode;
}

int32_t STARTTHREAD(const char *digits)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    LaunchState &launch = g_w32rtns.launch;
    // Calls from several threads may overlap: each works on locals and leaves copies in
    // the fields, so none closes or starts with another's values.
    const uint32_t argument = qx_text_to_number(digits, 8);
    frame::shared_store(launch.threadArgument, argument);
    frame::shared_store(launch.threadStart, qx_resolve(launch.threadEntryName));
    DWORD threadId = 0;
    // The thread is never waited for or joined: its handle is closed at once.
    owner::unique_handle thread(
        CreateThread(nullptr, 0, &thread_start,
                     reinterpret_cast<LPVOID>(static_cast<uintptr_t>(argument)), 0, &threadId));
    frame::shared_store(launch.threadId, threadId);
    const bool started = static_cast<bool>(thread);
    thread.reset();
    returnCode = set_status(started ? 0 : 1);
    return returnCode;
}

int32_t AGETLASTRETURNCODEFROMWAITCH(uint32_t *lastExitCode)
{
    int32_t returnCode = 0;
    frame::first_call(g_w32rtns, returnCode);
    if (lastExitCode != nullptr)
        *lastExitCode = last_exit_code();
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
    char *block = GetEnvironmentStringsA();
    frame::shared_store(g_w32rtns.launch.environment, block);
    return block;
}

} // extern "C"
