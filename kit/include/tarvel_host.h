/* TARVEL for host programs: the records a host hands TARVEL and gets back, the
   messages its windows receive, and the entries it calls in TARVEL's process or in
   its own. A C header, also valid C++. TARVEL's own code takes its records and the
   declarations of its entries from here, so hosts and TARVEL share one definition.

   Three ways to host TARVEL:
   - In another process: write an action file (ActionHeader, then ActionEntry records)
     of a bare name of at most 10 characters into a folder, start TARVEL.EXE there with
     that name as its whole command line, and take each completion notice posted to
     the entry's window (TARVEL_NOTICE_MESSAGE). The notice's pipe handle is TARVEL's:
     DuplicateHandle it from TARVEL's process, then read a BlockHeader and the
     CompletionNotice from it. TARVEL does not wait for the notice to be read (its end
     of run calls WAITSHAREDMEM, which waits for nothing), and its pipes end with its
     process: a notice must be taken while TARVEL still runs. Its module (below) is
     told when TARVEL's process ends, while the pipes are still open: the host can take
     its last notices then.
   - As a module in TARVEL's process: a DLL named QuennetGetOutputHandle.dll beside
     TARVEL.EXE, exporting QuennetGetOutputHandle, which names the window that
     receives every output line (TARVEL_LINE_MESSAGE). That window must belong to
     TARVEL's process, since each line is a local memory block of that process; a
     module hands the lines on to a host in another process. The module reaches the
     entries below by name: qx_lookup("WAITEXE").
   - In the host's own process: link the kit's library (the entries below, with the
     run-time qurdex.dll beside the program), register the output window's entry with
     qx_register_entry("QuennetGetOutputHandle", ...), and run tables from memory with
     TR010Action or from action files with STARTTHREAD.

   Numbers are native (little-endian) 32-bit unless a field says big-endian; texts are
   fixed-width fields padded with spaces. */
#ifndef TARVEL_HOST_H
#define TARVEL_HOST_H

/* The records and the numbers they hold. */
#include "tarvel_host_records.h"

/* ---- Numbers ------------------------------------------------------------ */

enum {
    /* Posted to an entry's window when its program has ended: wParam 0, lParam the
       read handle, in TARVEL's process, of a pipe holding one block: a BlockHeader
       and a CompletionNotice. */
    TARVEL_NOTICE_MESSAGE = 0x2001,
    /* Sent to the output window for each line of a started program's standard output
       and error: wParam 1, lParam a movable local memory block (HLOCAL) of TARVEL's
       process holding the line without its CR LF and a NUL. The receiver frees it. */
    TARVEL_LINE_MESSAGE = 0x0402
};

/* Return codes of the controller's entries, and so TARVEL.EXE's exit codes, beside the
   last call's 0 (started) or 1 (not started, or runFlag 0). */
enum {
    TARVEL_ACTION_FILE_MISSING = 2,    /* no file of that name; nothing runs */
    TARVEL_ACTION_FILE_UNREADABLE = 3, /* it could not be opened or read; left in place */
    TARVEL_ACTION_FILE_SHORT = 4,      /* shorter than 1780 bytes; deleted, nothing runs */
    TARVEL_NO_ACTION_TABLE = 5,        /* TR010Action called without a table */
    /* A controller entry called on a thread that is inside a run or launch of its own
       (from a line handler, say): it does nothing and the running table goes on. */
    TARVEL_CONTROLLER_BUSY = 6
    /* and the run-time errors of qurdex.h: QX_ERROR_SUBSCRIPT (153), a table of more
       than 500 entries, and QX_ERROR_NOT_FOUND (173), a name called by name that was
       found nowhere (most often a missing QuennetGetOutputHandle) */
};

/* ---- Entries -------------------------------------------------------------- */

#ifdef _WIN32

#include <windows.h>

/* The run-time TARVEL runs under: qx_lookup and qx_register_entry. */
#include "qurdex.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Each entry's type, for a pointer from qx_lookup, and the entry itself, for a host
   linked with the kit's library. Entries use the C calling convention and return one
   32-bit code, except W32ENUM's three, which use the Windows one (stdcall). Arguments
   are the addresses of the caller's fields; the entry never frees them. */

/* The controller. */
typedef int32_t TARVEL_entry(int32_t *runMode);
typedef int32_t TR0Set0AppDir_entry(const ActionTable *table);
typedef int32_t TR0Reset0CurDir_entry(void);
/* Runs the first entry of a table in the caller's memory; the header's processId (and
   a hand-over entry's program field) is rewritten in place. */
typedef int32_t TR010Action_entry(ActionTable *table, int32_t *runMode);
/* The thread entry STARTTHREAD starts: the action file named by number in 8 digits. */
typedef int32_t tarvelthread_entry(uint32_t number);
TARVEL_entry TARVEL;
TR0Set0AppDir_entry TR0Set0AppDir;
TR0Reset0CurDir_entry TR0Reset0CurDir;
TR010Action_entry TR010Action;
tarvelthread_entry tarvelthread;

/* The path and environment utilities. */
typedef int32_t QUERYEXE_entry(char *name, uint8_t *kind, const char *const *environment);
typedef int32_t ABSPATH_entry(const char *input, char *output);
typedef const char *JOINENV_entry(const uint32_t *count, const char *text1, const char *text2,
                                  const char *text3, const char *text4, const char *text5,
                                  const char *text6, const char *text7, const char *text8,
                                  const char *text9);
QUERYEXE_entry QUERYEXE;
ABSPATH_entry ABSPATH;
JOINENV_entry JOINENV;

/* W32RTNS. The launch routines' arguments 1 and 4 are accepted and ignored; program
   and arguments end with a NUL; environment is the address of a field holding the
   child's environment block (null in it: the caller's own). */
typedef int32_t W32RTNS_entry(void);
/* Starts tarvelthread on a new thread with the number in 8 decimal digits. */
typedef int32_t STARTTHREAD_entry(const char *digits);
typedef int32_t AGETLASTRETURNCODEFROMWAITCH_entry(uint32_t *lastExitCode);
typedef int32_t WAITEXE_entry(const char *runFlag, const char *program, const char *arguments,
                              const char *title, void *const *environment, BigEndian32 *exitCode);
typedef int32_t QUENNETSTARTEXE_entry(const char *runFlag, const char *program,
                                      const char *arguments, const char *title,
                                      void *const *environment, int32_t *processId);
typedef int32_t SINGLEXE_entry(const char *runFlag, const char *program, const char *arguments,
                               const char *title, void *const *environment, int32_t *processId);
typedef int32_t SPAWNEXE_entry(const char *runFlag, const char *program, const char *arguments,
                               const char *title, void *const *environment);
typedef int32_t SWITCHPROGRAM_entry(const uint32_t *processId);
typedef int32_t GETPROCESSID_entry(uint32_t *processId);
typedef int32_t GETWINDOWHANDLE_entry(const uint32_t *processId, const char *title,
                                      uint32_t *window);
typedef int32_t SENDMSG_entry(HWND window, uint32_t parameter, uint32_t unused);
typedef int32_t ALLOCSHAREDMEM_entry(HANDLE *readHandle, HANDLE *writeHandle, void **address,
                                     uint32_t size);
typedef int32_t READSHAREDMEM_entry(HANDLE readHandle, HANDLE *writeHandle, void **address);
typedef int32_t WRITESHAREDMEM_entry(HANDLE writeHandle, void *address);
typedef int32_t FREESHAREDMEM_entry(HANDLE readHandle);
typedef int32_t REGAINSHAREDMEM_entry(HANDLE readHandle, HANDLE *writeHandle, void **address);
typedef int32_t RELINQUISHSHAREDMEM_entry(HANDLE readHandle);
typedef int32_t WAITSHAREDMEM_entry(HANDLE readHandle);
typedef int32_t CLEARSHAREDMEM_entry(HANDLE readHandle);
typedef int32_t FINISHSHAREDMEM_entry(HANDLE readHandle, HANDLE writeHandle, void *address);
typedef int32_t STOPSESSIONS_entry(void);
typedef int32_t QUENNETEXESTATUS_entry(void);
typedef char *QUENNETGETENV_entry(void);
W32RTNS_entry W32RTNS;
STARTTHREAD_entry STARTTHREAD;
AGETLASTRETURNCODEFROMWAITCH_entry AGETLASTRETURNCODEFROMWAITCH;
WAITEXE_entry WAITEXE;
QUENNETSTARTEXE_entry QUENNETSTARTEXE;
SINGLEXE_entry SINGLEXE;
SPAWNEXE_entry SPAWNEXE;
SWITCHPROGRAM_entry SWITCHPROGRAM;
GETPROCESSID_entry GETPROCESSID;
GETWINDOWHANDLE_entry GETWINDOWHANDLE;
SENDMSG_entry SENDMSG;
ALLOCSHAREDMEM_entry ALLOCSHAREDMEM;
READSHAREDMEM_entry READSHAREDMEM;
WRITESHAREDMEM_entry WRITESHAREDMEM;
FREESHAREDMEM_entry FREESHAREDMEM;
REGAINSHAREDMEM_entry REGAINSHAREDMEM;
RELINQUISHSHAREDMEM_entry RELINQUISHSHAREDMEM;
WAITSHAREDMEM_entry WAITSHAREDMEM;
CLEARSHAREDMEM_entry CLEARSHAREDMEM;
FINISHSHAREDMEM_entry FINISHSHAREDMEM;
STOPSESSIONS_entry STOPSESSIONS;
QUENNETEXESTATUS_entry QUENNETEXESTATUS;
QUENNETGETENV_entry QUENNETGETENV;

/* W32ENUM, in the Windows calling convention; by name they are "_W32ENUM@12",
   "_QuennetEnumProc2@8" and "_QuennetEnumProc@8". */
typedef int32_t __stdcall W32ENUM_entry(const uint32_t *processId, const char *title,
                                        const uint32_t *titleLength);
typedef BOOL __stdcall QuennetEnumProc_entry(HWND window, LPARAM foundWindow);
W32ENUM_entry W32ENUM;
QuennetEnumProc_entry QuennetEnumProc2;
QuennetEnumProc_entry QuennetEnumProc;

/* The host's entry, called by name once per launch that catches output, after the
   program has started: fills *window with the window of TARVEL's process that
   receives the lines (TARVEL_LINE_MESSAGE), or 0 (a message box, then the lines are
   dropped). A module exports it as QuennetGetOutputHandle; a host in its own process
   registers it under that name with qx_register_entry. */
typedef int32_t QuennetGetOutputHandle_entry(int32_t *window);

#ifdef __cplusplus
}
#endif

#endif /* _WIN32 */

#endif /* TARVEL_HOST_H */
