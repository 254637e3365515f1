// actionfile run: each entry of a table run through TR010Action with this tool's window
// as its output and notice window, and its lines printed as they arrive.
#include "run_table.h"

#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "action_steps.h"
#include "action_table.h"
#include "entries.h"
#include "owner.h"
#include "program.h"
#include "qurdex.h"
#include "run_report.h"
#include "shared_memory.h"
#include "w32rtns.h"

namespace actionfile {

namespace {

constexpr char kClassName[] = "ActionfileRunWindow";

// The window that gets the output lines and the notices; owned by run_table.
HWND g_window = nullptr;
bool g_printLines = true;

// Writes bytes and CR LF to standard output at once, so lines show as they come.
void print_bytes(const char *bytes, size_t length)
{
    std::fwrite(bytes, 1, length, stdout);
    std::fwrite("\r\n", 1, 2, stdout);
    std::fflush(stdout);
}

void print_line(const std::string &line) { print_bytes(line.data(), line.size()); }

// An output line's block was handed over with the message: it is ours to free.
void receive_line(HLOCAL received)
{
    owner::unique_hlocal block(received);
    const char *line = static_cast<const char *>(LocalLock(block.get()));
    if (line == nullptr)
        return;
    if (g_printLines)
        print_bytes(line, strnlen(line, LocalSize(block.get())));
    LocalUnlock(block.get());
}

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kOutputLineMessage && lParam != 0) {
        receive_line(reinterpret_cast<HLOCAL>(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The host entry the launch routines call for the window of the output lines. The
// window belongs to the thread that runs the table, so each line is handled inside
// the launch, between the lines before and after it.
int32_t give_output_window(int32_t *window)
{
    *window = static_cast<int32_t>(reinterpret_cast<intptr_t>(g_window));
    return 0;
}

owner::unique_hwnd make_window()
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = &procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);
    return owner::unique_hwnd(CreateWindowA(kClassName, "actionfile run", 0, 0, 0, 0, 0,
                                            HWND_MESSAGE, nullptr, wc.hInstance, nullptr));
}

// The directory the entry runs in: the controller's own switch made and undone, so it
// is the directory the run enters (created when missing, as the run would).
std::string run_directory(const ActionTable &table)
{
    TR0Set0AppDir(&table);
    char path[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof path, path);
    TR0Reset0CurDir();
    return path;
}

// The completion notice the run posted to the window, read and finished; false when
// none came.
bool take_notice(EntryOutcome &outcome)
{
    MSG msg;
    if (!PeekMessageA(&msg, g_window, kBlockWaitingMessage, kBlockWaitingMessage, PM_REMOVE))
        return false;
    auto readHandle = reinterpret_cast<HANDLE>(msg.lParam);
    HANDLE writeHandle = nullptr;
    void *data = nullptr;
    if (READSHAREDMEM(readHandle, &writeHandle, &data) == 0) {
        const auto *notice = static_cast<const CompletionNotice *>(data);
        outcome.notice = true;
        outcome.exitCode = notice->exitCode.get();
        outcome.tag = tag_text(notice->noticeTag);
    }
    // Closes the notice pipe whether or not a block came out of it.
    FINISHSHAREDMEM(readHandle, writeHandle, data);
    return outcome.notice;
}

// A table of the one entry, with this tool's window as its notice window when it asks
// for a notice.
std::string one_entry_table(const ActionHeader &header, const ActionEntry &entry)
{
    ActionFile one{header, {entry}, {}};
    ActionEntry &own = one.entries[0];
    own.window = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(g_window));
    if (!action::wants_notice(own))
        own.window = entry.window;
    return to_bytes(one);
}

// Runs one entry, printing its header line unless quiet; the header keeps the process
// id the controller records in it, as a host's header does between calls.
EntryOutcome run_entry(ActionHeader &header, const ActionEntry &entry, size_t number, bool quiet)
{
    std::string bytes = one_entry_table(header, entry);
    auto *table = reinterpret_cast<ActionTable *>(bytes.data());
    if (!quiet)
        print_line(header_line(number, entry, run_directory(*table)));
    EntryOutcome outcome;
    if (entry.runFlag == 0)
        return outcome;
    // A launch leaves its child's id here, 0 when the child did not start; cleared
    // first so an entry that launched nothing does not show the previous one's.
    g_w32rtns.launch.processInformation.dwProcessId = 0;
    TR010Action(table, nullptr);
    header = table->header;
    outcome.state = g_w32rtns.launch.processInformation.dwProcessId != 0
                        ? EntryOutcome::State::Ended
                        : EntryOutcome::State::NotStarted;
    if (!take_notice(outcome))
        AGETLASTRETURNCODEFROMWAITCH(&outcome.exitCode);
    return outcome;
}

} // namespace

int run_table(const ActionFile &file, bool quiet)
{
    // Lines go out byte for byte: a lone LF inside one stays as it came.
    _setmode(_fileno(stdout), _O_BINARY);
    frame::register_entries();
    qx_register_entry("QuennetGetOutputHandle", reinterpret_cast<void *>(&give_output_window));
    owner::unique_hwnd window = make_window();
    if (!window) {
        std::fprintf(stderr, "actionfile: no window for the output lines\n");
        return 1;
    }
    g_window = window.get();
    g_printLines = !quiet;
    ActionHeader header = file.header;
    std::vector<EntryOutcome> outcomes;
    for (size_t i = 0; i < file.entries.size(); ++i) {
        outcomes.push_back(run_entry(header, file.entries[i], i + 1, quiet));
        print_line(closing_line(i + 1, file.entries[i], outcomes.back()));
    }
    g_window = nullptr;
    return exit_status(outcomes);
}

} // namespace actionfile
