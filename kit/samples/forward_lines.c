/* A host module in TARVEL's process, built as QuennetGetOutputHandle.dll and put beside
   TARVEL.EXE: it gives TARVEL an output window of this process (each line arrives as
   a local memory block of this process, which no other process can read) and hands
   every line on to the host's window in another process as WM_COPYDATA. When the
   process ends it tells the host so, and waits until the host has handled that (see
   forwarding.h). Without a host window (the variable unset, or not a window) the
   lines are dropped. */
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include "forwarding.h"
#include "tarvel_host.h"

static const char kClassName[] = "TarvelKitForwardLines";

static HWND g_window;     /* ours, served by a thread of its own */
static HWND g_hostWindow; /* the host's, in another process */
static INIT_ONCE g_once = INIT_ONCE_STATIC_INIT;

static HWND host_window(void)
{
    char digits[16];
    DWORD length = GetEnvironmentVariableA(FORWARD_WINDOW_VARIABLE, digits, sizeof digits);
    if (length == 0 || length >= sizeof digits)
        return NULL;
    HWND window = (HWND)(uintptr_t)strtoul(digits, NULL, 10);
    return IsWindow(window) ? window : NULL;
}

/* Sends one message to the host window and returns once the host has handled it. */
static void forward(ULONG_PTR what, const char *bytes, DWORD length)
{
    if (g_hostWindow == NULL)
        return;
    COPYDATASTRUCT data = {what, length, (void *)bytes};
    SendMessageA(g_hostWindow, WM_COPYDATA, (WPARAM)g_window, (LPARAM)&data);
}

/* The line's block was handed over with the message: it is ours to free. */
static void forward_line(HLOCAL block)
{
    const char *line = (const char *)LocalLock(block);
    if (line != NULL) {
        forward(FORWARD_LINE, line, (DWORD)strnlen(line, LocalSize(block)));
        LocalUnlock(block);
    }
    LocalFree(block);
}

static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == TARVEL_LINE_MESSAGE && lParam != 0) {
        forward_line((HLOCAL)lParam);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

static HINSTANCE this_module(void)
{
    HMODULE module = NULL;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                           GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       (LPCSTR)&procedure, &module);
    return module;
}

/* The launching thread waits in the launch while its program runs, so the window lives
   on a thread that does nothing but serve it, for the life of the process. */
static DWORD WINAPI serve(LPVOID ready)
{
    WNDCLASSA wc = {0};
    wc.lpfnWndProc = &procedure;
    wc.hInstance = this_module();
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);
    g_window = CreateWindowA(kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);
    SetEvent((HANDLE)ready);
    if (g_window == NULL)
        return 1;
    MSG msg;
    while (GetMessageA(&msg, NULL, 0, 0) > 0)
        DispatchMessageA(&msg);
    return 0;
}

static BOOL CALLBACK start(PINIT_ONCE once, PVOID parameter, PVOID *context)
{
    (void)once;
    (void)parameter;
    (void)context;
    g_hostWindow = host_window();
    HANDLE ready = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (ready == NULL)
        return TRUE;
    HANDLE thread = CreateThread(NULL, 0, &serve, ready, 0, NULL);
    if (thread != NULL) {
        WaitForSingleObject(ready, INFINITE);
        CloseHandle(thread);
    }
    CloseHandle(ready);
    return TRUE;
}

/* The host entry, of the type the header gives it. */
__declspec(dllexport) QuennetGetOutputHandle_entry QuennetGetOutputHandle;

int32_t QuennetGetOutputHandle(int32_t *window)
{
    InitOnceExecuteOnce(&g_once, &start, NULL, NULL);
    if (window != NULL)
        *window = (int32_t)(intptr_t)g_window;
    return 0;
}

/* TARVEL's run has ended: its pipes still exist until this returns. */
BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reserved;
    if (reason == DLL_PROCESS_DETACH)
        forward(FORWARD_RUN_END, NULL, 0);
    return TRUE;
}
