/* The run-time system the programs of TARVEL run under: start of the main program,
   calls by name, program locks, run-unit end and run-time errors, and the library
   routines (CBL_*, PC_*). Every routine uses the C calling convention and returns
   one 32-bit result, 0 for success. Fields are passed by address, small numbers by
   value; big-endian fields are marked as such.

   Code loaded into the process (a host DLL) includes this header to look up and
   call any registered entry by name: qx_lookup("WAITEXE"). */
#ifndef QURDEX_H
#define QURDEX_H

#include <stddef.h>
#include <stdint.h>
#include <windows.h>

#ifdef QURDEX_BUILD
#define QURDEX_API __declspec(dllexport)
#else
#define QURDEX_API __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Frame services ---------------------------------------------------- */

/* One row of an executable's entry-point table. */
enum { QX_ROW_CODE = 1, QX_ROW_DATA = 2 };
typedef struct qx_entry_row {
    int kind;         /* QX_ROW_CODE or QX_ROW_DATA */
    void *address;    /* the entry, or the data block */
    const char *name; /* with the leading underscore; NULL for a data row */
} qx_entry_row;

/* The run-time's registration lock: taken by the executable around its one-time
   registration of its entry table. */
QURDEX_API void qx_lock_registration(void);
QURDEX_API void qx_unlock_registration(void);
/* Makes the rows' named entries callable by name (without the leading underscore). */
QURDEX_API void qx_register_table(const qx_entry_row *rows, size_t count);
/* Registers one entry under a name; for code loaded into the process. */
QURDEX_API void qx_register_entry(const char *name, void *address);

typedef int32_t (*qx_main_entry)(void *);
/* Keeps the command-line tail of the WinMain arguments, runs main as the process's
   main program with a null address for its optional parameter, and ends the run
   with its return code. Never returns. */
QURDEX_API void qx_winmain(HINSTANCE instance, HINSTANCE previous, LPSTR tail, int show,
                           qx_main_entry main) __attribute__((noreturn));

/* Address of a named entry: a registered one first, else the export of that name
   in the DLL NAME.dll (usual DLL search, the executable's folder first), which then
   stays loaded and is not searched for again. NULL when neither has it. */
QURDEX_API void *qx_lookup(const char *name);
/* As qx_lookup, but a name found nowhere is the run-time error 173, which ends the
   run; so the result is never NULL. */
QURDEX_API void *qx_resolve(const char *name);

/* Asked by an entry that nothing called (a main program or a thread start routine):
   non-zero when it is to return its code to its caller, 0 when the run unit is to
   end. The main program of the run unit is never to return. */
QURDEX_API int qx_should_return(void *entry);
/* Ends the run unit with code as the process exit code. */
QURDEX_API void qx_stop_run(int32_t code) __attribute__((noreturn));
/* Around a step that the run's end must not cut in the middle (a program being
   started: a start cut halfway can leave the new process waiting for its parent for
   ever). The run's end waits until no thread is inside such a step; a step begun
   after the end has begun waits for ever. Steps of several threads may overlap. */
QURDEX_API void qx_begin_whole_step(void);
QURDEX_API void qx_end_whole_step(void);

/* Run-time errors that end the run; the exit code is the error number. */
enum {
    QX_ERROR_SUBSCRIPT = 153, /* subscript out of range */
    QX_ERROR_NOT_FOUND = 173  /* called program not found */
};
/* Reports error number with its text and the detail (a program or entry name)
   on standard error and the debugger channel, without waiting for anyone, and
   ends the run with the error number as exit code. */
QURDEX_API void qx_runtime_error(int number, const char *detail) __attribute__((noreturn));

/* The command-line tail into a field of width bytes: cut, or padded with spaces. */
QURDEX_API void qx_command_line(char *field, size_t width);
/* The process variable name (NUL-ended) into a field of width bytes, cut to the
   field; the caller pre-fills the field with spaces, an unset variable leaves it. */
QURDEX_API void qx_get_env(const char *name, char *field, size_t width);
/* value's low-order digits (8 or 10) as decimal text with leading zeros, and back. */
QURDEX_API void qx_number_to_text(uint32_t value, char *field, int digits);
QURDEX_API uint32_t qx_text_to_number(const char *field, int digits);

/* ---- Library routines --------------------------------------------------- */

/* The program lock of the program whose storage starts at program. */
QURDEX_API int32_t CBL_THREAD_PROG_LOCK(const void *program);
QURDEX_API int32_t CBL_THREAD_PROG_UNLOCK(const void *program);

/* Fills the block whose first two bytes give its size (big-endian, at least 3):
   byte 2 is the system type, QX_OS_NT for the Windows NT family, QX_OS_9X for
   Windows 95 and 98. Bytes past the given size are not touched. */
enum { QX_OS_NT = 3, QX_OS_9X = 131 };
QURDEX_API int32_t CBL_GET_OS_INFO(uint8_t *block);

/* File names are fields that end at their first space or NUL, and never longer
   than QX_NAME_MAX bytes. */
enum { QX_NAME_MAX = 260 };
/* Non-zero results of the file routines. */
enum {
    QX_FILE_BAD_PARAMETER = 9,
    QX_FILE_END = 10, /* end of file before count bytes */
    QX_FILE_NO_MEMORY = 14,
    QX_FILE_ERROR = 30,
    QX_FILE_NOT_FOUND = 35
};
/* access 1 read, 2 write, 3 both; deny 0 none; device 0. The handle is 4 bytes. */
QURDEX_API int32_t CBL_OPEN_FILE(const char *name, const uint8_t *access, const uint8_t *deny,
                                 const uint8_t *device, uint32_t *handle);
/* offset: 8 bytes big-endian; count: 4 bytes big-endian. flags 128 puts the file's
   size into offset and reads nothing; flags 0 reads count bytes at offset into buffer. */
QURDEX_API int32_t CBL_READ_FILE(const uint32_t *handle, uint8_t *offset, const uint8_t *count,
                                 const uint8_t *flags, void *buffer);
QURDEX_API int32_t CBL_CLOSE_FILE(const uint32_t *handle);
QURDEX_API int32_t CBL_DELETE_FILE(const char *name);
/* A new zero-filled block of size bytes into *address; flags 0. Never freed by the
   programs. */
QURDEX_API int32_t CBL_ALLOC_MEM(void **address, uint32_t size, uint32_t flags);

/* ---- Drives, directories and file names -------------------------------- */

/* Statuses of the drive, directory, file-name and locate routines. */
enum {
    QX_PATH_BAD_PARAMETER = 9, /* a drive letter or mode that is not one */
    QX_PATH_FAILED = 30,       /* refused by the system, or too long for its field */
    QX_PATH_NOT_FOUND = 35     /* no such drive, directory or file */
};

/* A 2-byte big-endian number inside a record. */
typedef struct qx_be16 {
    uint8_t bytes[2];
#ifdef __cplusplus
    uint16_t get() const { return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]); }
    void set(uint16_t value)
    {
        bytes[0] = static_cast<uint8_t>(value >> 8);
        bytes[1] = static_cast<uint8_t>(value);
    }
#endif
} qx_be16;

/* Current drive letter, in upper case, into drive (1 byte). A current directory
   that is not on a drive (a network path) is QX_PATH_FAILED and drive is kept. */
QURDEX_API int32_t PC_READ_DRIVE(char *drive);
/* Makes the drive named by drive's first byte (either case) current, in the
   directory that was last current on it (the root when none was, or when that
   one is gone). The directory left is remembered for its own drive. Naming the
   current drive leaves its current directory as it is. */
QURDEX_API int32_t PC_SET_DRIVE(const char *drive);
/* Current directory of the current drive, without drive and leading backslash
   (the root is empty), padded with spaces to *size bytes. One that does not fit
   leaves the field all spaces and is QX_PATH_FAILED. */
QURDEX_API int32_t CBL_READ_DIR(char *directory, const uint8_t *size);
/* Enters the directory named by path (ends at its first space or NUL, at most
   QX_NAME_MAX bytes); relative to the current directory, "\..." to the current
   drive's root, "X:\..." on another drive. */
QURDEX_API int32_t CBL_CHANGE_DIR(const char *path);
/* Creates one directory (name as for CBL_CHANGE_DIR). An existing one is left as
   it is and reported QX_PATH_FAILED. */
QURDEX_API int32_t CBL_CREATE_DIR(const char *path);
/* Upper-cases the letters a to z among the first length bytes of text. */
QURDEX_API int32_t CBL_TOUPPER(char *text, int32_t length);

#pragma pack(push, 1)
/* The record of CBL_SPLIT_FILENAME and CBL_JOIN_FILENAME. Offsets count from 1. */
typedef struct qx_filename_record {
    qx_be16 length;          /* 24 */
    uint8_t flag1;           /* split: 1 upper-cases the name in place */
    uint8_t flag2;           /* not used, 0 */
    qx_be16 directoryOffset; /* the directory, with its final separator */
    qx_be16 directoryLength;
    qx_be16 baseOffset; /* the base name */
    qx_be16 baseLength;
    qx_be16 extensionOffset; /* the extension, without its dot */
    qx_be16 extensionLength;
    qx_be16 totalLength;          /* split: the name's length; join: the result's */
    qx_be16 splitBufferLength;    /* split: the name's field width */
    qx_be16 joinBufferLength;     /* join: the result's field width */
    qx_be16 firstComponentLength; /* split: up to the first separator or dot */
} qx_filename_record;
#pragma pack(pop)

/* Splits the name in name (ends at its first space or NUL, within the split buffer
   length) into directory (up to and with its last "\", "/" or ":"), base name
   and extension (after the last dot of the last component, unless that dot opens
   the component). Empty parts get length 0. */
QURDEX_API int32_t CBL_SPLIT_FILENAME(qx_filename_record *record, char *name);
/* Joins the parts, each read at its offset for at most its length and ended by a
   space or NUL, into result (join buffer length bytes, padded with spaces): a
   backslash after a non-empty directory that does not end in "\" or "/", and a
   dot before a non-empty extension. A join that does not fit leaves result all
   spaces and is QX_PATH_FAILED. */
QURDEX_API int32_t CBL_JOIN_FILENAME(qx_filename_record *record, char *result,
                                     const char *directory, const char *base,
                                     const char *extension);

/* Finds the file named by name (ends at its first space or NUL, at most
   QX_NAME_MAX bytes), mode 0, pathFlag 0. "$NAME\REST" (or "$NAME/REST") tries
   REST in each directory listed, separated by semicolons, in the process variable
   NAME (any case); empty list elements are skipped and double quotes around one
   are dropped. A member of an open library file counts as a file inside it
   (LIB.LBR\MEMBER). located is a 2-byte big-endian buffer length followed by the
   buffer, which gets the full name padded with spaces; *exist becomes 1 for a
   file, 2 for a library member, 0 for nothing (and then the buffer is all
   spaces). A full name longer than the buffer counts as not found. */
QURDEX_API int32_t CBL_LOCATE_FILE(const char *name, const uint8_t *mode, uint8_t *located,
                                   uint8_t *exist, const uint8_t *pathFlag);

/* ---- Library files ------------------------------------------------------- */

/* The library-file service. Function QX_LIBRARY_OPEN opens the library file whose
   name (located as by CBL_LOCATE_FILE) is given in record: a length byte, then
   that many name bytes (the name also ends at a space). Its members are then seen
   by CBL_LOCATE_FILE. *result: 0 opened now, QX_LIBRARY_ALREADY_OPEN when it was
   open before this call (it stays open and is not the caller's to release),
   QX_LIBRARY_NOT_OPENED when it is missing or not a library file, or the function
   is unknown. The 32-bit status is 0 for the first two. */
enum { QX_LIBRARY_OPEN = 42 };
enum { QX_LIBRARY_OPENED = 0, QX_LIBRARY_NOT_OPENED = 1, QX_LIBRARY_ALREADY_OPEN = 128 };
QURDEX_API int32_t qx_library_file(const uint8_t *function, const uint8_t *record, uint8_t *result);
/* Closes the library file named in a 255-byte field (ends at its first space or
   NUL). One that is not open is QX_PATH_NOT_FOUND. */
QURDEX_API int32_t qx_release_library(const char *name);

/* ---- Virtual file and record sort ------------------------------------- */

/* A virtual file is a byte store in memory that grows as it is written, addressed
   by a 32-bit offset. CBL_OPEN_VFILE gives a new, empty one its 2-byte handle; it
   lives for the life of the process. Writing past the end grows it, bytes never
   written read as zero. Reading past the end fills the rest of the buffer with
   zero bytes and returns 10. A handle that was never opened returns 9; a store
   that cannot grow returns 14. */
QURDEX_API int32_t CBL_OPEN_VFILE(uint16_t *handle);
QURDEX_API int32_t CBL_READ_VFILE(uint16_t handle, uint32_t offset, uint32_t count, void *buffer);
QURDEX_API int32_t CBL_WRITE_VFILE(uint16_t handle, uint32_t offset, uint32_t count,
                                   const void *buffer);

/* The record sort, driven by operation codes. A sort is opened with its record
   and key description and a work file, given its records one at a time, sorted,
   and its records are taken back one at a time; ending it closes and removes the
   work file. The records given are kept in the work file until the sort.
   Keys compare as unsigned bytes; records with equal keys come back in the order
   given when ascending, and in exactly the reverse order when descending.

   After every operation block->status holds two characters:
     "00" done;  "10" no more records to take;
     "30" the work file could not be made, written or read back;
     "90" a bad record or key description, or an unknown operation;
     "91" an operation out of sequence, or a sort that is not open.
   A first character above "2" is an error for CBL_FILE_ERROR to report. The
   result is 0 for "00", otherwise the status as a number.

   The work file name is a field that ends at its first space or NUL. A name that
   begins with "$" and a variable name ("$TMP/zkorgsrt.dat") stands for the file
   of that name in the directory the process variable names. */
enum {
    QX_SORT_OPEN = 1,    /* describe the sort, make the work file */
    QX_SORT_RELEASE = 2, /* give one record */
    QX_SORT_SORT = 3,    /* end of input: order the records */
    QX_SORT_RETURN = 4,  /* take the next record in order into record */
    QX_SORT_END = 5      /* close and remove the work file */
};
#pragma pack(push, 1)
typedef struct qx_sort_block {
    char status[2];        /* set by every operation */
    uint16_t recordLength; /* bytes in each record */
    uint16_t keyOffset;    /* first byte of the key within the record */
    uint16_t keyLength;    /* bytes of the key */
    uint8_t descending;    /* 0 ascending, 1 descending */
    uint8_t reserved[3];
    uint32_t sort;      /* set by QX_SORT_OPEN; names the sort afterwards */
    char workFile[255]; /* work file name, padded with spaces */
} qx_sort_block;
#pragma pack(pop)
QURDEX_API int32_t EXTSM(uint32_t operation, qx_sort_block *block, void *record);

/* Reports a file error: the two-character status and the file name (a field that
   ends at its first space or NUL, within 255 bytes) on standard error and the debugger channel.
   Returns 0; the caller decides what follows. */
QURDEX_API int32_t CBL_FILE_ERROR(const char *status, const char *fileName);

#ifdef __cplusplus
}
#endif

#ifdef __cplusplus
static_assert(sizeof(qx_be16) == 2);
static_assert(sizeof(qx_filename_record) == 24);
static_assert(offsetof(qx_filename_record, flag1) == 2);
static_assert(offsetof(qx_filename_record, directoryOffset) == 4);
static_assert(offsetof(qx_filename_record, baseOffset) == 8);
static_assert(offsetof(qx_filename_record, extensionOffset) == 12);
static_assert(offsetof(qx_filename_record, totalLength) == 16);
static_assert(offsetof(qx_filename_record, splitBufferLength) == 18);
static_assert(offsetof(qx_filename_record, joinBufferLength) == 20);
static_assert(offsetof(qx_filename_record, firstComponentLength) == 22);

static_assert(sizeof(qx_sort_block) == 271);
static_assert(offsetof(qx_sort_block, status) == 0);
static_assert(offsetof(qx_sort_block, recordLength) == 2);
static_assert(offsetof(qx_sort_block, keyOffset) == 4);
static_assert(offsetof(qx_sort_block, keyLength) == 6);
static_assert(offsetof(qx_sort_block, descending) == 8);
static_assert(offsetof(qx_sort_block, sort) == 12);
static_assert(offsetof(qx_sort_block, workFile) == 16);

constexpr qx_be16 qx_be16_of(uint16_t value)
{
    return qx_be16{{static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)}};
}
#endif

#endif
