// Throughput and launch cost of WAITEXE against baselines measured in the same run:
//  (a) 16 MiB of 80-byte lines written in 64 KiB pieces: WAITEXE to a window that
//      frees each block, a plain drain of the pipe, and a minimal per-line pump
//      (one block and one SendMessageA per line, nothing else);
//  (b) 20,000 lines of 80 bytes, one WriteFile each: WAITEXE against the plain drain;
//  (c) 200 WAITEXE calls of a child that exits at once against 200 plain
//      CreateProcess and wait calls.
// The program is its own child: "w32rtns_bench child bulk|lines|exit".
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "bench_support.h"
#include "entries.h"
#include "owner.h"
#include "qurdex.h"

namespace {

constexpr size_t kBulkBytes = 16u << 20;
constexpr size_t kLineBytes = 80;
constexpr int kSmallLines = 20000;
constexpr int kLaunches = 200;
constexpr int kRuns = 9;

// ---- the child -------------------------------------------------------------

void write_all(HANDLE out, const char *bytes, DWORD length)
{
    DWORD written = 0;
    WriteFile(out, bytes, length, &written, nullptr);
}

int run_child(const std::string &mode)
{
    HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    std::string line(kLineBytes - 2, 'x');
    line += "\r\n";
    if (mode == "bulk") {
        std::string piece;
        while (piece.size() + kLineBytes <= 65536)
            piece += line;
        for (size_t sent = 0; sent < kBulkBytes; sent += piece.size())
            write_all(out, piece.data(), static_cast<DWORD>(piece.size()));
    } else if (mode == "lines") {
        for (int i = 0; i < kSmallLines; ++i)
            write_all(out, line.data(), static_cast<DWORD>(line.size()));
    }
    return 0;
}

// ---- the host window ---------------------------------------------------------

size_t g_lines = 0;

LRESULT CALLBACK host_procedure(HWND w, UINT m, WPARAM wp, LPARAM lp)
{
    if (m == TARVEL_LINE_MESSAGE) {
        ++g_lines;
        // The line's block came with the message: it is ours to free.
        owner::unique_hlocal line(reinterpret_cast<HLOCAL>(lp));
        return 0;
    }
    return DefWindowProcA(w, m, wp, lp);
}

HWND g_window = nullptr;

int32_t give_window(int32_t *window)
{
    *window = static_cast<int32_t>(reinterpret_cast<intptr_t>(g_window));
    return 0;
}

// ---- the baselines -----------------------------------------------------------

std::string child_command(const std::string &mode) { return bench::self_path() + " child " + mode; }

void plain_drain(const std::string &mode)
{
    bench::plain_run(child_command(mode), {}, [](const char *, DWORD) {});
}

void send_line(const char *bytes, size_t length)
{
    owner::unique_hlocal block(LocalAlloc(LMEM_MOVEABLE, length + 1));
    char *p = static_cast<char *>(LocalLock(block.get()));
    std::memcpy(p, bytes, length);
    p[length] = '\0';
    LocalUnlock(block.get());
    // The block goes with the message; the window frees it.
    SendMessageA(g_window, TARVEL_LINE_MESSAGE, 1, reinterpret_cast<LPARAM>(block.release()));
}

// One block and one message per CR LF line, with a carry for lines across reads.
void minimal_pump(const std::string &mode)
{
    std::string carry;
    bench::plain_run(child_command(mode), {}, [&carry](const char *bytes, DWORD length) {
        carry.append(bytes, length);
        size_t start = 0;
        for (size_t at; (at = carry.find("\r\n", start)) != std::string::npos; start = at + 2)
            send_line(carry.data() + start, at - start);
        carry.erase(0, start);
    });
    if (!carry.empty())
        send_line(carry.data(), carry.size());
}

void waitexe(const std::string &mode)
{
    std::string arguments = "child " + mode;
    void *environment = nullptr;
    BigEndian32 exitCode{};
    WAITEXE("", bench::self_path().c_str(), arguments.c_str(), "", &environment, &exitCode);
}

void plain_launch()
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string command = child_command("exit");
    CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    owner::unique_handle thread(pi.hThread);
    owner::unique_handle process(pi.hProcess);
    WaitForSingleObject(process.get(), INFINITE);
}

double mb_per_s(size_t bytes, double s) { return static_cast<double>(bytes) / 1e6 / s; }

} // namespace

int main(int argc, char **argv)
{
    if (argc >= 3 && std::string(argv[1]) == "child")
        return run_child(argv[2]);

    WNDCLASSA wc{};
    wc.lpfnWndProc = &host_procedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "BenchHost";
    RegisterClassA(&wc);
    g_window =
        CreateWindowA("BenchHost", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    W32RTNS();
    qx_register_entry("QuennetGetOutputHandle", reinterpret_cast<void *>(&give_window));

    std::printf("medians of %d runs\n", kRuns);
    auto a = bench::medians(
        {[] { waitexe("bulk"); }, [] { plain_drain("bulk"); }, [] { minimal_pump("bulk"); }},
        kRuns);
    std::printf("(a) 16 MiB of 80-byte lines in 64 KiB writes\n"
                "    WAITEXE %.1f MB/s, plain drain %.1f MB/s, minimal per-line pump %.1f MB/s\n"
                "    WAITEXE / pump %.2f (goal >= 0.9), WAITEXE / drain %.2f, pump / drain %.2f\n",
                mb_per_s(kBulkBytes, a[0]), mb_per_s(kBulkBytes, a[1]), mb_per_s(kBulkBytes, a[2]),
                a[2] / a[0], a[1] / a[0], a[1] / a[2]);

    const size_t smallBytes = kSmallLines * kLineBytes;
    auto b = bench::medians({[] { waitexe("lines"); }, [] { plain_drain("lines"); }}, kRuns);
    std::printf(
        "(b) 20,000 lines of 80 bytes, one WriteFile each\n"
        "    WAITEXE %.2f MB/s, plain drain %.2f MB/s, WAITEXE / drain %.2f (goal >= 0.9)\n",
        mb_per_s(smallBytes, b[0]), mb_per_s(smallBytes, b[1]), b[1] / b[0]);

    auto c = bench::medians({[] {
                                 for (int i = 0; i < kLaunches; ++i)
                                     waitexe("exit");
                             },
                             [] {
                                 for (int i = 0; i < kLaunches; ++i)
                                     plain_launch();
                             }},
                            kRuns);
    std::printf("(c) %d launches of a child that exits at once\n"
                "    WAITEXE %.2f ms per launch, plain %.2f ms, ratio %.2f (goal <= 1.1)\n",
                kLaunches, c[0] * 1000 / kLaunches, c[1] * 1000 / kLaunches, c[0] / c[1]);
    std::printf("lines received by the host window: %zu\n", g_lines);
    return 0;
}
