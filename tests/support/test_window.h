// Plain windows of the test's own: a class whose procedure is DefWindowProcA, and a
// hidden top-level window of such a class.
#pragma once

#include <windows.h>

#include <cstdint>

#include "owner.h"

namespace test_support {

// Registers a class named name whose procedure is DefWindowProcA (a second
// registration of the name fails harmlessly) and returns name.
const char *plain_window_class(const char *name);

// A hidden top-level window of a plain class of its own, destroyed with the object.
class TestWindow {
public:
    TestWindow(const char *className, const char *title);
    TestWindow(const TestWindow &) = delete;
    TestWindow &operator=(const TestWindow &) = delete;
    // The handle as the 32-bit value the window routines take.
    uint32_t handle() const
    {
        return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(window_.get()));
    }
    HWND window() const { return window_.get(); }

private:
    owner::unique_hwnd window_;
};

} // namespace test_support
