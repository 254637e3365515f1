// Owners for what the Windows API hands out: each closes its value once, when it goes
// or is reset, and can hand the value on. One type per close function and per value
// that names nothing.
#pragma once

#include <windows.h>

#include <utility>

namespace owner {

template <typename T>
T null_value()
{
    return nullptr;
}

inline HANDLE invalid_handle_value() { return INVALID_HANDLE_VALUE; }

template <typename T, auto Close, T (*Invalid)() = null_value<T>>
class unique_any {
public:
    using pointer = T;

    static T invalid() { return Invalid(); }

    unique_any() = default;
    explicit unique_any(T value) : value_(value) {}
    ~unique_any() { reset(); }
    unique_any(const unique_any &) = delete;
    unique_any &operator=(const unique_any &) = delete;
    unique_any(unique_any &&other) noexcept : value_(other.release()) {}
    unique_any &operator=(unique_any &&other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != Invalid(); }

    // Closes the value held so far and takes the new one. The close leaves the thread's
    // last error as it was, so a caller can still read what the failing call reported.
    void reset(T value = Invalid())
    {
        T old = std::exchange(value_, value);
        if (old == Invalid())
            return;
        const DWORD error = GetLastError();
        Close(old);
        SetLastError(error);
    }

    // Hands the value on: the owner no longer closes it.
    T release() { return std::exchange(value_, Invalid()); }

    // For calls that fill in a value: closes the one held and gives the address to fill.
    T *put()
    {
        reset();
        return &value_;
    }

private:
    T value_ = Invalid();
};

using unique_handle = unique_any<HANDLE, &::CloseHandle>;
using unique_file = unique_any<HANDLE, &::CloseHandle, invalid_handle_value>;
using unique_hlocal = unique_any<HLOCAL, &::LocalFree>;
using unique_hglobal = unique_any<HGLOBAL, &::GlobalFree>;
using unique_hkey = unique_any<HKEY, &::RegCloseKey>;
using unique_hmodule = unique_any<HMODULE, &::FreeLibrary>;
using unique_hwnd = unique_any<HWND, &::DestroyWindow>;
using unique_hpalette = unique_any<HPALETTE, &::DeleteObject>;
using unique_hdc = unique_any<HDC, &::DeleteDC>;
using unique_hbitmap = unique_any<HBITMAP, &::DeleteObject>;
using unique_hhook = unique_any<HHOOK, &::UnhookWindowsHookEx>;
using unique_hfind = unique_any<HANDLE, &::FindClose, invalid_handle_value>;

// Closes what a raw field holds (a field whose place and type the storage layout fixes)
// through the owner type for its kind, and clears the field, so it is closed once only.
template <typename Owner>
void close_field(typename Owner::pointer &field)
{
    Owner closing(std::exchange(field, Owner::invalid()));
}

// A handle field may hold either value that names no handle; both are left as they are.
inline void close_field(HANDLE &field)
{
    if (field != INVALID_HANDLE_VALUE)
        close_field<unique_handle>(field);
}

} // namespace owner
