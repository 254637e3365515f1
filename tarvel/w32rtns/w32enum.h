// The window-matching program W32ENUM: the search criteria and the two callbacks that
// EnumWindows calls.
#pragma once

#include <cstdint>

// What a window search looks for, and the callbacks' working fields.
struct EnumCriteria {
    uint32_t processId = 0;       // the process whose windows are wanted
    char title[40] = {};          // title text to match
    uint32_t titleLength = 0;     // leading title bytes that must match
    char scratch[40] = {};        // a window's class name, then its text
    uint32_t windowProcessId = 0; // owner process of the window looked at
    uint32_t windowThreadId = 0;  // its owner thread; not used further
    uint32_t callbackResult = 0;  // 0 stop the enumeration, 1 go on
};

struct W32enum {
    uint8_t initialised = 0;
    EnumCriteria criteria;
};

extern W32enum g_w32enum;
