/* What the samples share: filling an action table's records, writing an action file,
   the text of a notice's tag, and the program that their entries start. */
#ifndef SAMPLE_TABLE_H
#define SAMPLE_TABLE_H

#include <windows.h>

#include "tarvel_host.h"

#ifdef __cplusplus
extern "C" {
#endif

/* A header without an application directory: the programs run in the current one. */
void sample_header(ActionHeader *header);
/* An entry that starts program with commandLine and sends its notice, tagged tag, to
   window. */
void sample_entry(ActionEntry *entry, HWND window, uint8_t kind, const char *program,
                  const char *commandLine, const char *tag);
/* Writes the header and count entries to the file name; 0 when it could not. */
int write_action_file(const char *name, const ActionHeader *header, const ActionEntry *entries,
                      size_t count);
/* The length of a notice's tag: up to its first space or NUL, at most its field. */
int tag_length(const CompletionNotice *notice);

/* A message-only window of the program's own, of class className, served by procedure. */
HWND sample_message_window(WNDPROC procedure, const char *className, const char *title);
/* Hands out every message waiting for this thread's windows. */
void sample_handle_messages(void);

/* The program the entries start: "SAMPLE --child CODE" writes three lines (the second
   empty, the third without CR LF) and ends with exit code CODE. True when argv asks
   for it, and then it does not return. */
int run_as_child(int argc, char **argv);

#ifdef __cplusplus
}
#endif

#endif
