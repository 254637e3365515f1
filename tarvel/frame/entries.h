// The named entries of the executable, as the entry table and the programs call them.
#pragma once

#include <windows.h>

#include <cstdint>

#include "big_endian.h"

struct ActionTable;

extern "C" {

// TARVEL
int32_t TARVEL(int32_t *runMode);
int32_t TR0Set0AppDir(const ActionTable *table);
int32_t TR0Reset0CurDir(void);
int32_t TR010Action(ActionTable *table, int32_t *runMode);
int32_t tarvelthread(uint32_t number);

// QUERYEXE
int32_t QUERYEXE(char *name, uint8_t *kind, const char *const *environment);

// ABSPATH
int32_t ABSPATH(const char *input, char *output);

// W32RTNS: arguments 1 and 4 of the launch routines are accepted and ignored;
// environment is the address of a field holding the child's environment block.
int32_t W32RTNS();
int32_t STARTTHREAD(const char *digits);
int32_t AGETLASTRETURNCODEFROMWAITCH(uint32_t *lastExitCode);
int32_t WAITEXE(const char *, const char *program, const char *arguments, const char *,
                void *const *environment, frame::BigEndian<4> *exitCode);
int32_t QUENNETSTARTEXE(const char *, const char *program, const char *arguments, const char *,
                        void *const *environment, int32_t *processId);
int32_t SINGLEXE(const char *, const char *program, const char *arguments, const char *,
                 void *const *environment, int32_t *processId);
int32_t SPAWNEXE(const char *, const char *program, const char *arguments, const char *,
                 void *const *environment);
int32_t SWITCHPROGRAM(const uint32_t *processId);
int32_t GETPROCESSID(uint32_t *processId);
int32_t GETWINDOWHANDLE(const uint32_t *processId, const char *title, uint32_t *window);
int32_t SENDMSG(HWND window, uint32_t parameter, uint32_t unused);
int32_t ALLOCSHAREDMEM(HANDLE *readHandle, HANDLE *writeHandle, void **address, uint32_t size);
int32_t READSHAREDMEM(HANDLE readHandle, HANDLE *writeHandle, void **address);
int32_t WRITESHAREDMEM(HANDLE writeHandle, void *address);
int32_t FREESHAREDMEM(HANDLE readHandle);
int32_t REGAINSHAREDMEM(HANDLE readHandle, HANDLE *writeHandle, void **address);
int32_t RELINQUISHSHAREDMEM(HANDLE readHandle);
int32_t WAITSHAREDMEM(HANDLE readHandle);
int32_t CLEARSHAREDMEM(HANDLE readHandle);
int32_t FINISHSHAREDMEM(HANDLE readHandle, HANDLE writeHandle, void *address);
int32_t STOPSESSIONS();
int32_t QUENNETEXESTATUS();
char *QUENNETGETENV();

// W32ENUM: the Windows calling convention, named with their decorations.
int32_t __stdcall W32ENUM(const uint32_t *processId, const char *title,
                          const uint32_t *titleLength);
BOOL __stdcall QuennetEnumProc2(HWND window, LPARAM foundWindow);
BOOL __stdcall QuennetEnumProc(HWND window, LPARAM foundWindow);

// JOINENV
const char *JOINENV(const uint32_t *count, const char *text1, const char *text2, const char *text3,
                    const char *text4, const char *text5, const char *text6, const char *text7,
                    const char *text8, const char *text9);
}
