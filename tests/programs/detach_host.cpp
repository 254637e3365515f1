// QuennetGetOutputHandle.dll for the run-end tests: a host module that counts the lines
// it receives and, when the process detaches it, writes "lines N" to the file that
// DETACH_HOST_LOG names, as a host that writes out its totals at the end does. With
// DETACH_HOST_PROGRAM set, its first call also starts a controller thread at 77
// (STARTTHREAD) and a thread of its own that launches that program again and again
// (WAITEXE), so that the run ends while both work.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>

#include "owner.h"
#include "tarvel_host.h"

namespace {

std::atomic<long> g_lines{0};
HWND g_window = nullptr;
std::string g_program;

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message != TARVEL_LINE_MESSAGE || lParam == 0)
        return DefWindowProcA(window, message, wParam, lParam);
    owner::unique_hlocal block(reinterpret_cast<HLOCAL>(lParam));
    ++g_lines;
    return 0;
}

DWORD WINAPI launch_forever(LPVOID)
{
    auto waitExe = reinterpret_cast<WAITEXE_entry *>(qx_lookup("WAITEXE"));
    void *environment = nullptr;
    BigEndian32 exitCode{};
    for (;;)
        waitExe("", g_program.c_str(), "out working", "", &environment, &exitCode);
}

void start_work()
{
    char program[MAX_PATH];
    if (GetEnvironmentVariableA("DETACH_HOST_PROGRAM", program, sizeof program) == 0)
        return;
    g_program = program;
    reinterpret_cast<STARTTHREAD_entry *>(qx_lookup("STARTTHREAD"))("00000077");
    owner::unique_handle thread(CreateThread(nullptr, 0, &launch_forever, nullptr, 0, nullptr));
}

void write_total()
{
    char path[MAX_PATH];
    if (GetEnvironmentVariableA("DETACH_HOST_LOG", path, sizeof path) == 0)
        return;
    owner::unique_file log(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
    char text[32];
    const int length = std::snprintf(text, sizeof text, "lines %ld", g_lines.load());
    DWORD written = 0;
    WriteFile(log.get(), text, static_cast<DWORD>(length), &written, nullptr);
}

} // namespace

// The window lives on the thread of the first call, the controller's, which serves the
// lines of other threads' launches while it waits for its turns.
extern "C" __declspec(dllexport) int32_t QuennetGetOutputHandle(int32_t *window)
{
    if (g_window == nullptr) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &procedure;
        wc.hInstance = GetModuleHandleA("QuennetGetOutputHandle.dll");
        wc.lpszClassName = "DetachHostLines";
        RegisterClassA(&wc);
        g_window = CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                 wc.hInstance, nullptr);
        start_work();
    }
    *window = static_cast<int32_t>(reinterpret_cast<intptr_t>(g_window));
    return 0;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_DETACH)
        write_total();
    return TRUE;
}
