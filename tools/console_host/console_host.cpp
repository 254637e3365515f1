// The console output host. Its one export, QuennetGetOutputHandle, gives the caller a
// window of this DLL's own that writes each line it receives as message 0x0402 to
// the standard output the process had when the host was first asked, ended by
// CR LF, and frees the line block.
//
// The launching thread blocks in ReadFile and SendMessageA while a child runs, so
// the window lives on a thread of its own that does nothing but serve it.
#include <windows.h>

#include <cstdint>
#include <cstring>

#include "owner.h"
#include "tarvel_host.h"

namespace {

constexpr char kClassName[] = "QuennetConsoleOutputHost";

HANDLE g_output = nullptr; // our duplicate of the process's standard output
HWND g_window = nullptr;
INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;

void write_all(const char *bytes, DWORD length)
{
    while (length > 0) {
        DWORD written = 0;
        if (!WriteFile(g_output, bytes, length, &written, nullptr) || written == 0)
            return;
        bytes += written;
        length -= written;
    }
}

// The line's block was handed over with the message: it is ours to free.
void write_line(HLOCAL received)
{
    owner::unique_hlocal block(received);
    if (const char *line = static_cast<const char *>(LocalLock(block.get()))) {
        write_all(line, static_cast<DWORD>(strnlen(line, LocalSize(block.get()))));
        write_all("\r\n", 2);
        LocalUnlock(block.get());
    }
}

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == TARVEL_LINE_MESSAGE && lParam != 0) {
        write_line(reinterpret_cast<HLOCAL>(lParam));
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

HINSTANCE this_module()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&procedure), &module);
    return module;
}

// Creates the message-only window, signals that it exists, and serves it for the
// life of the process.
DWORD WINAPI serve(LPVOID ready)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = &procedure;
    wc.hInstance = this_module();
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);
    g_window =
        CreateWindowA(kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    SetEvent(static_cast<HANDLE>(ready));
    if (g_window == nullptr)
        return 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

BOOL CALLBACK start_host(PINIT_ONCE, PVOID, PVOID *)
{
    // A duplicate of our own keeps writing to the original output even if the process
    // later changes or closes its standard handle; it is not inherited by children.
    HANDLE process = GetCurrentProcess();
    DuplicateHandle(process, GetStdHandle(STD_OUTPUT_HANDLE), process, &g_output, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    owner::unique_handle ready(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!ready)
        return TRUE;
    // The thread serves the window for the life of the process; its handle is not kept.
    owner::unique_handle thread(CreateThread(nullptr, 0, &serve, ready.get(), 0, nullptr));
    if (thread)
        WaitForSingleObject(ready.get(), INFINITE);
    return TRUE;
}

} // namespace

// Fills *window with the host's output window, or 0 when it could not be made.
extern "C" __declspec(dllexport) QuennetGetOutputHandle_entry QuennetGetOutputHandle;

int32_t QuennetGetOutputHandle(int32_t *window)
{
    InitOnceExecuteOnce(&g_once, &start_host, nullptr, nullptr);
    if (window != nullptr)
        *window = static_cast<int32_t>(reinterpret_cast<intptr_t>(g_window));
    return 0;
}
