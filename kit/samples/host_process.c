/* A host in another process. It writes an action table of three entries to the
   action file KITHOST in its current directory, starts TARVEL.EXE there on it, and
   prints what reaches its window: the output lines that the module forward_lines
   (TARVEL's QuennetGetOutputHandle.dll) hands on, and the completion notices that
   TARVEL posts; then TARVEL's exit code.
     host_process [TARVEL.EXE]    (default: tarvel\TARVEL.EXE beside this program)
   Exit code 0 when TARVEL ended and every notice came, 1 otherwise, 2 for a wrong
   command line. Started as "host_process --child CODE" it is the program that the
   entries start: it writes three lines and ends with exit code CODE. */
#include <windows.h>

#include <stdio.h>
#include <string.h>

#include "forwarding.h"
#include "sample_table.h"

static const char kClassName[] = "TarvelKitProcessHost";
static const char kActionFile[] = "KITHOST";
enum { kEntries = 3, kTimeLimitMs = 60000 };

static HANDLE g_tarvel; /* TARVEL's process: the notices' handles are its handles */
static int g_notices;   /* notices taken */

/* Three entries with a notice each: this program twice, the second time with an exit
   code above 1,000,000,000, and a command for the command interpreter. */
static int write_table(HWND window, const char *self)
{
    ActionHeader header;
    ActionEntry entries[kEntries];
    sample_header(&header);
    sample_entry(&entries[0], window, TARVEL_KIND_DIRECT, self, "--child 3", "DIRECT");
    sample_entry(&entries[1], window, TARVEL_KIND_INTERPRETER, "cmd.exe",
                 "echo interpreted & exit 4", "COMMAND");
    sample_entry(&entries[2], window, TARVEL_KIND_DIRECT, self, "--child 3221225477", "LAST");
    return write_action_file(kActionFile, &header, entries, kEntries);
}

/* Reads exactly size bytes that already lie in the pipe; never waits for more. */
static int read_lying(HANDLE pipe, void *buffer, DWORD size)
{
    DWORD lying = 0, read = 0;
    return PeekNamedPipe(pipe, NULL, 0, NULL, &lying, NULL) && lying >= size &&
           ReadFile(pipe, buffer, size, &read, NULL) && read == size;
}

/* The notice whose pipe read handle TARVEL posted. The handle is TARVEL's: it is
   duplicated into this process first. TARVEL's own ends of the pipe stay open until
   TARVEL ends: closing them from here (DUPLICATE_CLOSE_SOURCE) has Wine close them in
   TARVEL's process, which no longer does that once it is ending, and this call would
   then wait for ever. */
static void take_notice(uint32_t readHandle)
{
    HANDLE pipe = NULL;
    if (!DuplicateHandle(g_tarvel, (HANDLE)(uintptr_t)readHandle, GetCurrentProcess(), &pipe, 0,
                         FALSE, DUPLICATE_SAME_ACCESS)) {
        printf("notice lost: TARVEL's pipe is gone (error %lu)\n", GetLastError());
        fflush(stdout);
        return;
    }
    BlockHeader header;
    CompletionNotice notice;
    if (read_lying(pipe, &header, sizeof header) &&
        header.totalLength == sizeof header + sizeof notice &&
        read_lying(pipe, &notice, sizeof notice)) {
        printf("notice %.*s: exit code %lu\n", tag_length(&notice), notice.noticeTag,
               (unsigned long)tarvel_get_big_endian(notice.exitCode.bytes));
        ++g_notices;
    } else {
        printf("notice lost: no whole notice in its pipe\n");
    }
    CloseHandle(pipe);
    fflush(stdout);
}

/* Notices already posted to this thread's windows. */
static void take_posted_notices(void)
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, TARVEL_NOTICE_MESSAGE, TARVEL_NOTICE_MESSAGE, PM_REMOVE))
        take_notice((uint32_t)msg.lParam);
}

static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == TARVEL_NOTICE_MESSAGE) {
        take_notice((uint32_t)lParam);
        return 0;
    }
    if (message == WM_COPYDATA) {
        const COPYDATASTRUCT *data = (const COPYDATASTRUCT *)lParam;
        if (data->dwData == FORWARD_LINE)
            printf("line: %.*s\n", (int)data->cbData, (const char *)data->lpData);
        else if (data->dwData == FORWARD_RUN_END)
            take_posted_notices(); /* TARVEL still runs until this returns */
        fflush(stdout);
        return TRUE;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

/* Handles this thread's messages until TARVEL has ended; 0 when it takes too long. */
static int wait_for_tarvel(void)
{
    DWORD start = GetTickCount();
    for (;;) {
        DWORD spent = GetTickCount() - start;
        if (spent >= kTimeLimitMs)
            return 0;
        DWORD woken =
            MsgWaitForMultipleObjects(1, &g_tarvel, FALSE, kTimeLimitMs - spent, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0)
            return 1;
        sample_handle_messages();
    }
}

/* Starts TARVEL.EXE with the action file's name as its whole command line, in this
   program's current directory and with its environment, which names the window. */
static int start_tarvel(const char *tarvel)
{
    char commandLine[MAX_PATH + 32];
    snprintf(commandLine, sizeof commandLine, "\"%s\" %s", tarvel, kActionFile);
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started;
    if (!CreateProcessA(NULL, commandLine, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &started))
        return 0;
    CloseHandle(started.hThread);
    g_tarvel = started.hProcess;
    return 1;
}

static void default_tarvel(const char *self, char *tarvel, size_t size)
{
    const char *slash = strrchr(self, '\\');
    int folder = slash != NULL ? (int)(slash - self) : 0;
    snprintf(tarvel, size, "%.*s\\tarvel\\TARVEL.EXE", folder, self);
}

int main(int argc, char **argv)
{
    if (run_as_child(argc, argv))
        return 0;
    if (argc > 2) {
        fprintf(stderr, "usage: host_process [TARVEL.EXE]\n");
        return 2;
    }
    char self[MAX_PATH], tarvel[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    if (argc == 2)
        snprintf(tarvel, sizeof tarvel, "%s", argv[1]);
    else
        default_tarvel(self, tarvel, sizeof tarvel);

    HWND window = sample_message_window(&procedure, kClassName, "host_process");
    char digits[16];
    snprintf(digits, sizeof digits, "%lu", (unsigned long)(uintptr_t)window);
    SetEnvironmentVariableA(FORWARD_WINDOW_VARIABLE, digits);
    if (window == NULL || !write_table(window, self) || !start_tarvel(tarvel)) {
        fprintf(stderr, "host_process: cannot start %s on %s (error %lu)\n", tarvel, kActionFile,
                GetLastError());
        return 1;
    }
    int ended = wait_for_tarvel();
    if (!ended) {
        printf("TARVEL did not end within %d seconds\n", kTimeLimitMs / 1000);
        TerminateProcess(g_tarvel, 1);
    }
    /* What is left in the queue came too late: TARVEL and its pipes are gone. */
    sample_handle_messages();
    DWORD exitCode = 0;
    GetExitCodeProcess(g_tarvel, &exitCode);
    printf("TARVEL ended with exit code %lu\n", exitCode);
    CloseHandle(g_tarvel);
    DestroyWindow(window);
    return ended && g_notices == kEntries ? 0 : 1;
}
