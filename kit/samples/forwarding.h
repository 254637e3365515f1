/* How the sample module forward_lines (QuennetGetOutputHandle.dll in TARVEL's
   folder) hands TARVEL's output on to a window of the host's own process: the host
   names its window in an environment variable that TARVEL inherits, and receives
   WM_COPYDATA messages, sent so that each one is handled before TARVEL goes on. */
#ifndef FORWARDING_H
#define FORWARDING_H

/* The host window's handle as a decimal number. */
#define FORWARD_WINDOW_VARIABLE "TARVEL_HOST_WINDOW"

/* COPYDATASTRUCT.dwData of the forwarded messages. */
enum {
    /* One output line: its bytes without CR LF, no NUL. */
    FORWARD_LINE = 1,
    /* No data: TARVEL's process is ending. While the host handles this message TARVEL
       still runs, so the notices posted to the host's windows can still be taken. */
    FORWARD_RUN_END = 2
};

#endif
