// EnumWindows and EnumChildWindows with a lambda passed through the LPARAM.
#pragma once

#include <windows.h>

#include <type_traits>

namespace test_support {

namespace detail {
template <class Visit>
BOOL CALLBACK visit_window(HWND w, LPARAM p)
{
    return (*reinterpret_cast<Visit *>(p))(w) ? TRUE : FALSE;
}
} // namespace detail

// visit(HWND) returns false to stop the enumeration.
template <class Visit>
void for_each_window(Visit &&visit)
{
    using V = std::remove_reference_t<Visit>;
    EnumWindows(&detail::visit_window<V>, reinterpret_cast<LPARAM>(&visit));
}

template <class Visit>
void for_each_child(HWND parent, Visit &&visit)
{
    using V = std::remove_reference_t<Visit>;
    EnumChildWindows(parent, &detail::visit_window<V>, reinterpret_cast<LPARAM>(&visit));
}

} // namespace test_support
