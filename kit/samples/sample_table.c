/* What the samples share; see sample_table.h. */
#include "sample_table.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

/* A fixed-width text field: the text, a NUL when the field asks for one, then spaces. */
static void set_text(char *field, size_t width, const char *text, int nulEnded)
{
    size_t room = nulEnded ? width - 1 : width;
    size_t length = strlen(text) < room ? strlen(text) : room;
    memset(field, ' ', width);
    memcpy(field, text, length);
    if (nulEnded)
        field[length] = '\0';
}

void sample_header(ActionHeader *header)
{
    memset(header, 0, sizeof *header);
    set_text(header->sharedPart, sizeof header->sharedPart, "", 0);
    header->appDir[0] = '\0'; /* none */
}

void sample_entry(ActionEntry *entry, HWND window, uint8_t kind, const char *program,
                  const char *commandLine, const char *tag)
{
    memset(entry, 0, sizeof *entry);
    entry->window = (uint32_t)(uintptr_t)window;
    set_text(entry->noticeTag, sizeof entry->noticeTag, tag, 0);
    set_text(entry->program, sizeof entry->program, program, 1);
    set_text(entry->commandLine, sizeof entry->commandLine, commandLine, 1);
    set_text(entry->title, sizeof entry->title, "", 0);
    entry->kind = kind;
    entry->runFlag = TARVEL_RUN_FLAG_RUN;
}

int write_action_file(const char *name, const ActionHeader *header, const ActionEntry *entries,
                      size_t count)
{
    FILE *file = fopen(name, "wb");
    if (file == NULL)
        return 0;
    int written = fwrite(header, sizeof *header, 1, file) == 1 &&
                  fwrite(entries, sizeof *entries, count, file) == count;
    return fclose(file) == 0 && written;
}

int tag_length(const CompletionNotice *notice)
{
    int length = 0;
    while (length < (int)sizeof notice->noticeTag && notice->noticeTag[length] != ' ' &&
           notice->noticeTag[length] != '\0')
        ++length;
    return length;
}

int run_as_child(int argc, char **argv)
{
    if (argc != 3 || strcmp(argv[1], "--child") != 0)
        return 0;
    char text[200];
    int length = snprintf(text, sizeof text,
                          "child %s: first line\r\n\r\nchild %s: last line, without CR LF", argv[2],
                          argv[2]);
    DWORD written = 0;
    if (length > 0)
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, (DWORD)strlen(text), &written, NULL);
    ExitProcess((UINT)strtoul(argv[2], NULL, 10));
}

HWND sample_message_window(WNDPROC procedure, const char *className, const char *title)
{
    WNDCLASSA wc = {0};
    wc.lpfnWndProc = procedure;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    return CreateWindowA(className, title, 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, wc.hInstance, NULL);
}

void sample_handle_messages(void)
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}
