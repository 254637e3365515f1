// The executable's entry-point table, in its fixed order, and its registration.
#include <atomic>
#include <iterator>

#include "entries.h"
#include "program.h"

namespace {

// Storage the run-time may use for its own purposes.
unsigned char g_runtime_block[256];

#define CODE_ROW(name)                                          \
    {                                                           \
        QX_ROW_CODE, reinterpret_cast<void *>(&name), "_" #name \
    }
// A Windows-convention entry is named as the linker decorates it: _NAME@bytes.
#define STDCALL_ROW(name, bytes)                                           \
    {                                                                      \
        QX_ROW_CODE, reinterpret_cast<void *>(&name), "_" #name "@" #bytes \
    }

const qx_entry_row g_entry_table[] = {
    // TARVEL
    CODE_ROW(TARVEL),
    CODE_ROW(TR0Set0AppDir),
    CODE_ROW(TR0Reset0CurDir),
    CODE_ROW(TR010Action),
    CODE_ROW(tarvelthread),

    // run-time
    {QX_ROW_DATA, g_runtime_block, nullptr},

    // QUERYEXE
    CODE_ROW(QUERYEXE),

    // ABSPATH
    CODE_ROW(ABSPATH),

    // W32RTNS
    CODE_ROW(W32RTNS),
    CODE_ROW(STARTTHREAD),
    CODE_ROW(AGETLASTRETURNCODEFROMWAITCH),
    CODE_ROW(WAITEXE),
    CODE_ROW(QUENNETSTARTEXE),
    CODE_ROW(SINGLEXE),
    CODE_ROW(SPAWNEXE),
    CODE_ROW(SWITCHPROGRAM),
    CODE_ROW(GETPROCESSID),
    CODE_ROW(GETWINDOWHANDLE),
    CODE_ROW(SENDMSG),
    CODE_ROW(ALLOCSHAREDMEM),
    CODE_ROW(READSHAREDMEM),
    CODE_ROW(WRITESHAREDMEM),
    CODE_ROW(FREESHAREDMEM),
    CODE_ROW(REGAINSHAREDMEM),
    CODE_ROW(RELINQUISHSHAREDMEM),
    CODE_ROW(WAITSHAREDMEM),
    CODE_ROW(CLEARSHAREDMEM),
    CODE_ROW(FINISHSHAREDMEM),
    CODE_ROW(STOPSESSIONS),
    CODE_ROW(QUENNETEXESTATUS),
    CODE_ROW(QUENNETGETENV),

    // W32ENUM
    STDCALL_ROW(W32ENUM, 12),
    STDCALL_ROW(QuennetEnumProc2, 8),
    STDCALL_ROW(QuennetEnumProc, 8),

    // JOINENV
    CODE_ROW(JOINENV),
};

#undef CODE_ROW
#undef STDCALL_ROW

std::atomic<bool> g_registered{false};

} // namespace

namespace frame {

void register_entries()
{
    if (g_registered.load(std::memory_order_acquire))
        return;
    qx_lock_registration();
    if (!g_registered.load(std::memory_order_relaxed)) {
        qx_register_table(g_entry_table, std::size(g_entry_table));
        g_registered.store(true, std::memory_order_release);
    }
    qx_unlock_registration();
}

} // namespace frame
