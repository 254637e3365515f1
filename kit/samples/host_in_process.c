/* A host in its own process, linked with the kit's library: TARVEL's entries run in
   this process, with qurdex.dll beside the program. It registers its host entry,
   which names a window of its own for the output lines, runs a table from memory with
   TR010Action, then writes the action file 00000042 in its current directory and has
   STARTTHREAD run it on a thread of the controller's. It prints each output line and
   each completion notice: here the notice's pipe handle is this process's own, so the
   shared-memory routines read it and finish it.
     host_in_process
   Exit code 0 when both tables ran and sent their notices, 1 otherwise. Started as
   "host_in_process --child CODE" it is the program that the entries start. */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>

#include "sample_table.h"

static const char kClassName[] = "TarvelKitInProcessHost";
enum { kTimeLimitMs = 30000 };

static HWND g_window; /* the output lines' window and the notices' */
static int g_notices; /* notices taken */

static void print_line(HLOCAL block)
{
    const char *line = (const char *)LocalLock(block);
    if (line != NULL) {
        printf("line: %s\n", line);
        LocalUnlock(block);
    }
    LocalFree(block); /* handed over with the message */
}

static void take_notice(HANDLE readHandle)
{
    HANDLE writeHandle = NULL;
    void *data = NULL;
    if (READSHAREDMEM(readHandle, &writeHandle, &data) == 0) {
        const CompletionNotice *notice = (const CompletionNotice *)data;
        printf("notice %.*s: exit code %lu\n", tag_length(notice), notice->noticeTag,
               (unsigned long)tarvel_get_big_endian(notice->exitCode.bytes));
        ++g_notices;
    }
    /* Closes both ends of the notice's pipe and frees the block. */
    FINISHSHAREDMEM(readHandle, writeHandle, data);
}

static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == TARVEL_LINE_MESSAGE && lParam != 0) {
        print_line((HLOCAL)lParam);
    } else if (message == TARVEL_NOTICE_MESSAGE) {
        take_notice((HANDLE)lParam);
    } else {
        return DefWindowProcA(window, message, wParam, lParam);
    }
    fflush(stdout);
    return 0;
}

/* The host entry, called on the thread of each launch. The window belongs to the main
   thread, so a launch on the controller's thread hands its lines over to it. */
static int32_t give_output_window(int32_t *window)
{
    *window = (int32_t)(intptr_t)g_window;
    return 0;
}

/* Handles this thread's messages until count notices have come; 0 when that takes
   too long. */
static int wait_for_notices(int count)
{
    DWORD start = GetTickCount();
    while (g_notices < count) {
        DWORD spent = GetTickCount() - start;
        if (spent >= kTimeLimitMs)
            return 0;
        MsgWaitForMultipleObjects(0, NULL, FALSE, kTimeLimitMs - spent, QS_ALLINPUT);
        sample_handle_messages();
    }
    return 1;
}

/* A table of one entry in this program's memory, run on this thread: TR010Action
   returns when the program has ended and its notice is posted. A table needs only the
   bytes of its header and its entries. */
static int run_table_in_memory(const char *self)
{
    unsigned char *table = (unsigned char *)calloc(1, TARVEL_TABLE_SIZE(1));
    if (table == NULL)
        return 0;
    sample_header((ActionHeader *)table);
    sample_entry((ActionEntry *)(table + TARVEL_HEADER_SIZE), g_window, TARVEL_KIND_DIRECT, self,
                 "--child 7", "MEMORY");
    int32_t result = TR010Action((ActionTable *)table, NULL);
    printf("TR010Action returned %ld\n", (long)result);
    free(table);
    return wait_for_notices(1);
}

/* A table of one entry in the action file 00000042, run by a controller thread that
   STARTTHREAD starts; it is never joined, so its notice tells when its program ended. */
static int run_table_on_thread(const char *self)
{
    ActionHeader header;
    ActionEntry entry;
    sample_header(&header);
    sample_entry(&entry, g_window, TARVEL_KIND_DIRECT, self, "--child 9", "THREAD");
    if (!write_action_file("00000042", &header, &entry, 1))
        return 0;
    int32_t result = STARTTHREAD("00000042");
    printf("STARTTHREAD returned %ld\n", (long)result);
    if (result != 0 || !wait_for_notices(2))
        return 0;
    /* Controller entries take turns: this one waits until the thread's table has ended,
       so the program does not end under it. */
    TR0Reset0CurDir();
    return 1;
}

int main(int argc, char **argv)
{
    if (run_as_child(argc, argv))
        return 0;
    char self[MAX_PATH];
    GetModuleFileNameA(NULL, self, sizeof self);
    g_window = sample_message_window(&procedure, kClassName, "host_in_process");
    if (g_window == NULL)
        return 1;
    qx_register_entry("QuennetGetOutputHandle", (void *)&give_output_window);
    int ran = run_table_in_memory(self) && run_table_on_thread(self);
    printf("%d notices\n", g_notices);
    DestroyWindow(g_window);
    return ran ? 0 : 1;
}
