// Closing a handle kept in a storage field, which is then cleared so that it is
// closed once only.
#pragma once

#include <windows.h>

inline void close_handle_field(HANDLE &field)
{
    if (field == nullptr || field == INVALID_HANDLE_VALUE)
        return;
    CloseHandle(field);
    field = nullptr;
}
