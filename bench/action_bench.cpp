// Case (d): what an action costs the controller beyond the launch of its program. A
// table of actions of a child that exits at once runs through TR010Action in this
// process and through TARVEL.EXE from an action file, against the same number of plain
// launches of the same child in the same run (CreateProcess with its output in a pipe,
// the pipe drained, the wait). Two tables: one whose application directory is a full
// path and whose program is named by its full path, and one as real tables look, with
// a "$" name in the application directory and a program found along the search path.
// Then the steps of an action one by one, and the memory and handles of the process
// before and after a long run of actions.
//
// action_bench [ACTIONS [RUNS [MEMORY_ACTIONS]]], by default 200, 9 and 500; 0 actions
// leaves out the tables, 0 memory actions the memory.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>

#include "action_table.h"
#include "action_tables.h"
#include "bench_support.h"
#include "big_endian.h"
#include "entries.h"
#include "owner.h"
#include "qurdex.h"
#include "w32rtns.h"

namespace {

constexpr char kChild[] = "exit_child.exe";
constexpr char kRootVariable[] = "ORLISK_BENCH_ROOT";
constexpr UINT kNoticeMessage = 0x2001;

int g_actions = 200;
int g_runs = 9;
int g_memoryActions = 500;

// ---- the host window -------------------------------------------------------------

HWND g_window = nullptr;
size_t g_lines = 0;
size_t g_notices = 0;

LRESULT CALLBACK host_procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kOutputLineMessage) {
        ++g_lines;
        owner::unique_hlocal line(reinterpret_cast<HLOCAL>(lParam));
        return 0;
    }
    if (message == kNoticeMessage) {
        // The notice is the host's to read and finish.
        HANDLE pipe = reinterpret_cast<HANDLE>(lParam);
        HANDLE writeHandle = nullptr;
        void *data = nullptr;
        if (READSHAREDMEM(pipe, &writeHandle, &data) == 0)
            ++g_notices;
        FINISHSHAREDMEM(pipe, writeHandle, data);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int32_t give_window(int32_t *window)
{
    *window = static_cast<int32_t>(reinterpret_cast<intptr_t>(g_window));
    return 0;
}

void handle_posted_messages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

// ---- tables ----------------------------------------------------------------------

using bench::copy_text;
using bench::make_table;
using bench::run_tarvel;
using bench::TableShape;
using bench::write_action_file;

// The three ways of running one action in this process: the plain launch, TR010Action
// on a table of one, and WAITEXE alone as the controller calls it.
enum Way { kPlain, kTr010, kWaitExe, kWays };

void run_one(Way way, const TableShape &shape, ActionTable &table)
{
    void *environment = nullptr;
    frame::BigEndian<4> exitCode;
    switch (way) {
    case kPlain:
        bench::plain_run(bench::launch_command(shape), shape.folder, [](const char *, DWORD) {});
        break;
    case kTr010: TR010Action(&table, nullptr); break;
    case kWaitExe: WAITEXE("\1", shape.program.c_str(), "", "", &environment, &exitCode); break;
    default: break;
    }
}

// ---- case (d) --------------------------------------------------------------------

void per_action(const TableShape &shape, const std::string &tarvel, const std::string &work)
{
    const int n = g_actions;
    auto table = make_table(shape, n, 1);
    auto empty = make_table(shape, 0, 1);
    // Rows: the three ways (seconds for n actions each), TARVEL.EXE on the table of n
    // and TARVEL.EXE on an empty table; one column per run. Within a run the ways take
    // turns action by action, in an order that rotates, so that the machine's slower
    // and faster stretches touch them alike.
    enum { kFile = kWays, kEmpty, kRows };
    std::vector<std::vector<double>> rows(kRows);
    for (int run = 0; run < g_runs; ++run) {
        double sums[kWays] = {};
        for (int action = 0; action < n; ++action)
            for (int step = 0; step < kWays; ++step) {
                const Way way = static_cast<Way>((action + step) % kWays);
                sums[way] += bench::seconds([&] { run_one(way, shape, *table); });
            }
        for (int way = 0; way < kWays; ++way)
            rows[way].push_back(sums[way]);
        write_action_file(work, *table, n);
        rows[kFile].push_back(bench::seconds([&] { run_tarvel(tarvel, work); }));
        write_action_file(work, *empty, 0);
        rows[kEmpty].push_back(bench::seconds([&] { run_tarvel(tarvel, work); }));
    }
    // The file route's start (TARVEL.EXE on an empty table) is paid once per table; its
    // cost per action is what a table of n actions costs beyond it.
    std::vector<double> beyondStart;
    for (int run = 0; run < g_runs; ++run)
        beyondStart.push_back(rows[kFile][run] - rows[kEmpty][run]);
    auto ms = [n](const std::vector<double> &row) { return bench::median(row) * 1000 / n; };
    auto ratio = [&rows](const std::vector<double> &row) {
        return bench::paired_ratio(row, rows[kPlain]);
    };
    std::printf("  %s\n"
                "    plain redirected launch          %8.2f ms per action\n"
                "    TR010Action, in-process          %8.2f ms per action, ratio %.3f\n"
                "    TARVEL.EXE from an action file   %8.2f ms per action, ratio %.3f\n"
                "      beyond its start on an empty table (%.1f ms, once per table); the whole "
                "run over %d: %.2f ms per action, ratio %.3f\n"
                "    WAITEXE alone                    %8.2f ms per launch, ratio %.3f\n",
                shape.title, ms(rows[kPlain]), ms(rows[kTr010]), ratio(rows[kTr010]),
                ms(beyondStart), ratio(beyondStart), bench::median(rows[kEmpty]) * 1000, n,
                ms(rows[kFile]), ratio(rows[kFile]), ms(rows[kWaitExe]), ratio(rows[kWaitExe]));
}

// ---- the steps of an action ------------------------------------------------------

constexpr int kStepCalls = 200;

// Median microseconds per call of step.
double step_us(const std::function<void()> &step)
{
    auto t = bench::medians({[&] {
                                for (int i = 0; i < kStepCalls; ++i)
                                    step();
                            }},
                            g_runs);
    return t[0] * 1e6 / kStepCalls;
}

void send_notice()
{
    HANDLE readHandle = nullptr, writeHandle = nullptr;
    void *data = nullptr;
    if (ALLOCSHAREDMEM(&readHandle, &writeHandle, &data, 20) != 0)
        return;
    std::memset(data, 0, 20);
    WRITESHAREDMEM(writeHandle, data);
    SENDMSG(g_window, static_cast<uint32_t>(reinterpret_cast<uintptr_t>(readHandle)), 0);
    handle_posted_messages();
}

void breakdown(const TableShape &full, const TableShape &dollar, double dllLookup)
{
    auto fullTable = make_table(full, 1, 1);
    auto dollarTable = make_table(dollar, 1, 1);
    auto skipped = make_table(TableShape{"", "", full.program, ""}, 1, 0);
    std::printf("  the steps one by one, microseconds per call (median of %d runs of %d calls)\n",
                g_runs, kStepCalls);
    auto line = [](const char *what, double us) { std::printf("    %-62s %9.1f\n", what, us); };
    line("TR010Action that starts nothing (entry, system query, command line)",
         step_us([&] { TR010Action(skipped.get(), nullptr); }));
    line("system query (CBL_GET_OS_INFO)", step_us([] {
             uint8_t info[13] = {0, 13};
             CBL_GET_OS_INFO(info);
         }));
    line("directory switch and back, full path (the two entries)", step_us([&] {
             TR0Set0AppDir(fullTable.get());
             TR0Reset0CurDir();
         }));
    line("directory switch and back, \"$\" name (the two entries)", step_us([&] {
             TR0Set0AppDir(dollarTable.get());
             TR0Reset0CurDir();
         }));
    line("  TR0Reset0CurDir with nothing to switch back (entry and turn)",
         step_us([] { TR0Reset0CurDir(); }));
    char drive = 0;
    char directory[256];
    const uint8_t directorySize = 255;
    PC_READ_DRIVE(&drive);
    line("  PC_READ_DRIVE", step_us([&] { PC_READ_DRIVE(&drive); }));
    line("  CBL_READ_DIR", step_us([&] { CBL_READ_DIR(directory, &directorySize); }));
    line("  ABSPATH of the full path", step_us([&] {
             char work[260];
             copy_text(work, sizeof work, full.folder);
             ABSPATH(work, work);
         }));
    line("  PC_SET_DRIVE, the current drive", step_us([&] { PC_SET_DRIVE(&drive); }));
    char current[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, current);
    line("  CBL_CHANGE_DIR, the current directory", step_us([&] { CBL_CHANGE_DIR(current + 2); }));
    line("  SetCurrentDirectoryA, the current directory",
         step_us([&] { SetCurrentDirectoryA(current); }));
    line("  GetCurrentDirectoryA", step_us([&] {
             char text[MAX_PATH];
             GetCurrentDirectoryA(MAX_PATH, text);
         }));
    line("  SetEnvironmentVariableA", step_us([&] { SetEnvironmentVariableA("=Q:", current); }));
    line("pipe set-up, host entry and pump of no output", step_us([] {
             OpenRedirection(g_w32rtns);
             PumpChildOutput(g_w32rtns, false);
         }));
    line("  the plain launch's own pipe: made, read end kept back, closed",
         step_us([] { bench::output_pipe(); }));
    line("host entry looked up by name, registered",
         step_us([] { qx_lookup("QuennetGetOutputHandle"); }));
    line("host entry looked up by name, from its DLL (TARVEL.EXE)", dllLookup);
    line("environment block copied and freed",
         step_us([] { FreeEnvironmentStringsA(GetEnvironmentStringsA()); }));
    line("completion notice, sent and read by the host window", step_us(send_notice));
    line("executable lookup along the search path (QUERYEXE; kind 5 only)", step_us([&] {
             char name[260];
             copy_text(name, sizeof name, kChild);
             uint8_t kind = 0;
             const char *environment = nullptr;
             QUERYEXE(name, &kind, &environment);
         }));
}

// ---- memory ------------------------------------------------------------------------

// Private committed bytes, summed over the address space, and the value the system
// hands out for the next new handle (the lowest free one, so it rises only while
// handles are left open).
struct Usage {
    size_t privateBytes = 0;
    uintptr_t nextHandle = 0;
};

Usage usage()
{
    Usage now;
    MEMORY_BASIC_INFORMATION region{};
    for (const char *at = nullptr;
         VirtualQuery(at, &region, sizeof region) == sizeof region && at + region.RegionSize > at;
         at = static_cast<const char *>(region.BaseAddress) + region.RegionSize)
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE)
            now.privateBytes += region.RegionSize;
    owner::unique_handle probe(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    now.nextHandle = reinterpret_cast<uintptr_t>(probe.get());
    return now;
}

void memory(const TableShape &shape)
{
    auto table = make_table(shape, 1, 1);
    TR010Action(table.get(), nullptr);
    Usage before = usage();
    for (int action = 0; action < g_memoryActions; ++action)
        TR010Action(table.get(), nullptr);
    Usage after = usage();
    std::printf("  memory over %d more actions through TR010Action: private bytes %zu before, %zu "
                "after (%+ld); next handle value %#lx before, %#lx after\n",
                g_memoryActions, before.privateBytes, after.privateBytes,
                static_cast<long>(after.privateBytes) - static_cast<long>(before.privateBytes),
                static_cast<unsigned long>(before.nextHandle),
                static_cast<unsigned long>(after.nextHandle));
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1)
        g_actions = std::atoi(argv[1]);
    if (argc > 2)
        g_runs = std::atoi(argv[2]);
    if (argc > 3)
        g_memoryActions = std::atoi(argv[3]);

    const std::string folder = bench::self_folder();
    const std::string tools = folder + "\\tools";
    const std::string tarvel = folder + "\\..\\dist\\TARVEL.EXE";
    const std::string work = bench::make_work_folder();
    // The host works in its own folder, and its tables' application directories lie
    // below it, on the same drive.
    SetCurrentDirectoryA(work.c_str());
    // The child is found along the search path; the "$" name's value is a list, of
    // which the first element counts.
    char path[32767] = {};
    GetEnvironmentVariableA("PATH", path, sizeof path);
    SetEnvironmentVariableA("PATH", (tools + ";" + path).c_str());
    SetEnvironmentVariableA(kRootVariable, (work + ";C:\\elsewhere").c_str());
    const TableShape full{"application directory a full path, program by its full path",
                          work + "\\app", tools + "\\" + kChild, work + "\\app"};
    const TableShape dollar{"application directory a \"$\" name, program along the search path",
                            std::string("$") + kRootVariable + "\\app", kChild, work + "\\app"};

    WNDCLASSA wc{};
    wc.lpfnWndProc = &host_procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "ActionBenchHost";
    RegisterClassA(&wc);
    g_window = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             wc.hInstance, nullptr);
    W32RTNS();
    // Before this program registers its own host entry, the run-time finds the entry in
    // the console host's DLL, as it does in TARVEL.EXE.
    const double dllLookup = step_us([] { qx_lookup("QuennetGetOutputHandle"); });
    qx_register_entry("QuennetGetOutputHandle", reinterpret_cast<void *>(&give_window));

    std::printf("(d) tables of %d actions of a child that exits at once, medians of %d runs; each "
                "ratio is the median of the runs' ratios to the plain launches of the same run\n",
                g_actions, g_runs);
    if (g_actions > 0) {
        per_action(full, tarvel, work);
        per_action(dollar, tarvel, work);
    }
    breakdown(full, dollar, dllLookup);
    if (g_memoryActions > 0)
        memory(dollar);
    std::printf("  lines received: %zu, notices read: %zu\n", g_lines, g_notices);
    return 0;
}
