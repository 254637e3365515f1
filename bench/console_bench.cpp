// Case (e): console programs as actions of TARVEL.EXE started the way hosts start it,
// from a GUI program with no console. Tables of a console program that exits at once
// and of "cmd.exe /c exit 0" run through TARVEL.EXE started with no console, against
// the same launches made, in the same run, by a console parent with a hidden console
// of its own (whose children share it) and by a GUI parent with no console (whose
// console children each get a console of their own). The parents are the launcher
// program, built as a console and as a GUI program; they time their launches
// themselves. Then, in a pass of its own, the console hosts (conhost.exe) that each
// way makes, counted by polling the process list.
//
// console_bench [ACTIONS [RUNS]], by default 50 and 7; at least 2 actions.
#include <windows.h>

#include <tlhelp32.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "action_tables.h"
#include "bench_support.h"
#include "owner.h"

namespace {

using bench::TableShape;

int g_actions = 50;
int g_runs = 7;

// The console hosts a piece of work made: the distinct conhost.exe processes seen while
// it ran, and the most of them alive at one time.
struct ConsoleHosts {
    size_t made = 0;
    size_t mostAlive = 0;
};

// The ids of the conhost.exe processes alive now.
std::vector<DWORD> console_hosts_alive()
{
    std::vector<DWORD> ids;
    owner::unique_file snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry))
        if (_stricmp(entry.szExeFile, "conhost.exe") == 0)
            ids.push_back(entry.th32ProcessID);
    return ids;
}

// Polls the process list while work runs. A console host lives as long as its console
// (a launch of some tens of milliseconds at least), so a poll every millisecond or so
// sees each one.
ConsoleHosts count_console_hosts(const std::function<void()> &work)
{
    const std::vector<DWORD> before = console_hosts_alive();
    const std::set<DWORD> earlier(before.begin(), before.end());
    std::set<DWORD> seen;
    size_t mostAlive = 0;
    std::atomic<bool> done{false};
    std::thread poller([&] {
        while (!done) {
            size_t alive = 0;
            for (DWORD id : console_hosts_alive())
                if (earlier.count(id) == 0) {
                    seen.insert(id);
                    ++alive;
                }
            mostAlive = std::max(mostAlive, alive);
            Sleep(1);
        }
    });
    work();
    done = true;
    poller.join();
    return {seen.size(), mostAlive};
}

// The launcher started with the creation flags given (and its window, or the console
// it gets, hidden), count launches of the shape's command: the seconds it reports.
double run_launcher(const std::string &launcher, DWORD creationFlags, int count,
                    const TableShape &shape)
{
    bench::OutputPipe pipe = bench::output_pipe();
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    si.hStdOutput = pipe.writeEnd.get();
    si.hStdError = pipe.writeEnd.get();
    PROCESS_INFORMATION pi{};
    std::string command = "\"" + launcher + "\" " + std::to_string(count) + " \"" + shape.folder +
                          "\" \"" + bench::launch_command(shape) + "\"";
    CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, creationFlags, nullptr, nullptr,
                   &si, &pi);
    owner::unique_handle thread(pi.hThread);
    owner::unique_handle process(pi.hProcess);
    pipe.writeEnd.reset();
    std::string text;
    char buffer[256];
    DWORD got = 0;
    while (ReadFile(pipe.readEnd.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        text.append(buffer, got);
    WaitForSingleObject(process.get(), INFINITE);
    return std::atof(text.c_str());
}

// The ways of one run: the two parents' launches, and TARVEL.EXE on a table of all the
// actions, on a table of one action and on an empty table.
enum Way { kConsoleParent, kGuiParent, kTarvel, kTarvelOne, kTarvelEmpty, kWays };

// The order of a run: the console parent before and after TARVEL.EXE's three tables, so
// that the mean of its two measures belongs to the stretch of time TARVEL.EXE's ran in
// (the machine's load changes from one second to the next), then the GUI parent.
constexpr Way kRunOrder[] = {kConsoleParent, kTarvel,        kTarvelOne,
                             kTarvelEmpty,   kConsoleParent, kGuiParent};

struct Programs {
    std::string consoleLauncher;
    std::string guiLauncher;
    std::string tarvel;
    std::string work;
};

// Seconds of one way. TARVEL.EXE is started as a GUI host with no console starts it:
// DETACHED_PROCESS gives it no console of this program's.
double run_way(Way way, const Programs &programs, const TableShape &shape, int count)
{
    switch (way) {
    case kConsoleParent:
        return run_launcher(programs.consoleLauncher, CREATE_NEW_CONSOLE, count, shape);
    case kGuiParent: return run_launcher(programs.guiLauncher, DETACHED_PROCESS, count, shape);
    default: break;
    }
    const int entries = way == kTarvel ? count : way == kTarvelOne ? 1 : 0;
    auto table = bench::make_table(shape, entries, 1);
    bench::write_action_file(programs.work, *table, entries);
    return bench::seconds(
        [&] { bench::run_tarvel(programs.tarvel, programs.work, DETACHED_PROCESS); });
}

void per_action(const Programs &programs, const TableShape &shape)
{
    const int n = g_actions;
    // Per way, the seconds of each run (the console parent's the mean of its two).
    std::vector<std::vector<double>> rows(kWays);
    for (int run = 0; run < g_runs; ++run) {
        std::vector<double> sums(kWays);
        std::vector<int> counts(kWays);
        for (Way way : kRunOrder) {
            sums[way] += run_way(way, programs, shape, n);
            ++counts[way];
        }
        for (int way = 0; way < kWays; ++way)
            rows[way].push_back(sums[way] / counts[way]);
    }
    // Seconds per action of each run. TARVEL.EXE's start is paid once per table, and so
    // is the console it makes at its first console program: an action after the first
    // costs what a table costs beyond a table of one action.
    auto per_run = [](auto seconds) {
        std::vector<double> row;
        for (int run = 0; run < g_runs; ++run)
            row.push_back(seconds(run));
        return row;
    };
    const auto parent = per_run([&](int run) { return rows[kConsoleParent][run] / n; });
    const auto gui = per_run([&](int run) { return rows[kGuiParent][run] / n; });
    const auto later =
        per_run([&](int run) { return (rows[kTarvel][run] - rows[kTarvelOne][run]) / (n - 1); });
    const auto whole =
        per_run([&](int run) { return (rows[kTarvel][run] - rows[kTarvelEmpty][run]) / n; });
    const auto first =
        per_run([&](int run) { return rows[kTarvelOne][run] - rows[kTarvelEmpty][run]; });
    auto ms = [](const std::vector<double> &row) { return bench::median(row) * 1000; };
    auto ratio = [&parent](const std::vector<double> &row) {
        return bench::paired_ratio(row, parent);
    };
    std::printf("  %s\n"
                "    console parent, a hidden console of its own  %8.2f ms per action\n"
                "    GUI parent, no console                       %8.2f ms per action, ratio %.3f\n"
                "    TARVEL.EXE started with no console           %8.2f ms per action after its "
                "first, ratio %.3f\n"
                "      its first action, with the console it makes: %.1f ms; the whole table "
                "beyond its start on an empty table (%.1f ms): %.2f ms per action, ratio %.3f\n",
                shape.title, ms(parent), ms(gui), ratio(gui), ms(later), ratio(later), ms(first),
                ms(rows[kTarvelEmpty]), ms(whole), ratio(whole));

    const int counted = std::min(n, 20);
    ConsoleHosts hosts[3];
    for (Way way : {kConsoleParent, kGuiParent, kTarvel})
        hosts[way] = count_console_hosts([&] { run_way(way, programs, shape, counted); });
    auto per = [counted](const ConsoleHosts &h) { return static_cast<double>(h.made) / counted; };
    std::printf("    console hosts made per action (over %d actions, the parent's own console "
                "included): console parent %.2f, GUI parent %.2f, TARVEL.EXE %.2f; at most %zu, "
                "%zu, %zu alive at once\n",
                counted, per(hosts[kConsoleParent]), per(hosts[kGuiParent]), per(hosts[kTarvel]),
                hosts[kConsoleParent].mostAlive, hosts[kGuiParent].mostAlive,
                hosts[kTarvel].mostAlive);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc > 1)
        g_actions = std::max(2, std::atoi(argv[1]));
    if (argc > 2)
        g_runs = std::max(1, std::atoi(argv[2]));

    const std::string folder = bench::self_folder();
    const Programs programs{folder + "\\console_launcher.exe", folder + "\\gui_launcher.exe",
                            folder + "\\..\\dist\\TARVEL.EXE", bench::make_work_folder()};
    const std::string app = programs.work + "\\app";
    const TableShape child{"a console program that exits at once (exit_child.exe)", app,
                           folder + "\\tools\\exit_child.exe", app};
    const TableShape interpreter{"the command interpreter: cmd.exe /c exit 0",
                                 app,
                                 "cmd.exe",
                                 app,
                                 "exit 0",
                                 kKindInterpreter};

    std::printf("(e) console programs as actions, TARVEL.EXE started as a GUI host starts it: "
                "tables of %d actions, medians of %d runs; each ratio is the median of the runs' "
                "ratios to the console parent's launches of the same run\n",
                g_actions, g_runs);
    per_action(programs, child);
    per_action(programs, interpreter);
    return 0;
}
