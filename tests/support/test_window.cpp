#include "test_window.h"

namespace test_support {

const char *plain_window_class(const char *name)
{
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = name;
    RegisterClassA(&wc);
    return name;
}

TestWindow::TestWindow(const char *className, const char *title)
    : window_(CreateWindowA(plain_window_class(className), title, WS_OVERLAPPED, 0, 0, 50, 50,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr))
{
}

} // namespace test_support
