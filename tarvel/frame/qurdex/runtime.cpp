// Frame services of the run-time: entry registry, call by name, run-unit end,
// run-time errors, command line, environment and number text.
#include "qurdex.h"
#include "internal.h"
#include "owner.h"

#include <cstdio>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace {

struct Registry {
    std::mutex lock;
    std::map<std::string, void *> entries;
    // Entries found in a DLL of their name: the DLL stays loaded, so the address holds
    // for the life of the process and the next lookup need not load it again.
    std::map<std::string, void *> loaded;
};

Registry &registry()
{
    static Registry registered;
    return registered;
}

// Recursive, as the program locks are: the registration lock is taken through the
// run-time's routines, by any code in the process, and a thread that holds it may take
// it again.
std::recursive_mutex &registration_lock()
{
    static std::recursive_mutex lock;
    return lock;
}

// Shared by the steps the run's end must not cut, taken whole by the run's end.
SRWLOCK g_wholeSteps = SRWLOCK_INIT;

std::string g_tail;
void *g_main_entry = nullptr;
DWORD g_main_thread = 0;

const char *error_text(int number)
{
    switch (number) {
    case QX_ERROR_SUBSCRIPT: return "subscript out of range";
    case QX_ERROR_NOT_FOUND: return "called program not found";
    default: return "run-time error";
    }
}

} // namespace

void qurdex::report(const std::string &text)
{
    OutputDebugStringA(text.c_str());
    HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
    if (err == nullptr || err == INVALID_HANDLE_VALUE)
        return;
    DWORD written = 0;
    WriteFile(err, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
}

extern "C" {

void qx_lock_registration(void) { registration_lock().lock(); }
void qx_unlock_registration(void) { registration_lock().unlock(); }

void qx_register_entry(const char *name, void *address)
{
    Registry &registered = registry();
    std::lock_guard<std::mutex> hold(registered.lock);
    registered.entries[name] = address;
}

void qx_register_table(const qx_entry_row *rows, size_t count)
{
    for (size_t i = 0; i < count; ++i) {
        if (rows[i].kind != QX_ROW_CODE || rows[i].name == nullptr)
            continue;
        const char *name = rows[i].name[0] == '_' ? rows[i].name + 1 : rows[i].name;
        qx_register_entry(name, rows[i].address);
    }
}

void *qx_lookup(const char *name)
{
    Registry &registered = registry();
    {
        std::lock_guard<std::mutex> hold(registered.lock);
        for (const auto *entries : {&registered.entries, &registered.loaded}) {
            auto found = entries->find(name);
            if (found != entries->end())
                return found->second;
        }
    }
    std::string dll = std::string(name) + ".dll";
    owner::unique_hmodule module(LoadLibraryA(dll.c_str()));
    if (!module)
        return nullptr;
    void *address = reinterpret_cast<void *>(GetProcAddress(module.get(), name));
    if (address == nullptr)
        return nullptr;
    // The module stays loaded for the life of the process, as a called program does.
    module.release();
    std::lock_guard<std::mutex> hold(registered.lock);
    registered.loaded.emplace(name, address);
    return address;
}

void *qx_resolve(const char *name)
{
    void *address = qx_lookup(name);
    if (address == nullptr)
        qx_runtime_error(QX_ERROR_NOT_FOUND, name);
    return address;
}

void qx_winmain(HINSTANCE, HINSTANCE, LPSTR tail, int, qx_main_entry main)
{
    g_tail = tail != nullptr ? tail : "";
    g_main_entry = reinterpret_cast<void *>(main);
    g_main_thread = GetCurrentThreadId();
    qx_stop_run(main(nullptr));
}

int qx_should_return(void *entry)
{
    return !(entry == g_main_entry && GetCurrentThreadId() == g_main_thread);
}

// The run ends here even while other threads of the process still work. ExitProcess
// ends those threads first and then tells every loaded module that the process
// detaches (a host's DLL writes out its totals there), as any process end does. The
// executable's own static destructors, which exit would run while the other threads
// still use that storage, are not run.
void qx_stop_run(int32_t code)
{
    std::fflush(nullptr);
    AcquireSRWLockExclusive(&g_wholeSteps);
    ExitProcess(static_cast<UINT>(code));
}

void qx_begin_whole_step(void) { AcquireSRWLockShared(&g_wholeSteps); }

void qx_end_whole_step(void) { ReleaseSRWLockShared(&g_wholeSteps); }

void qx_runtime_error(int number, const char *detail)
{
    char text[400];
    std::snprintf(text, sizeof text, "qurdex: run-time error %d: %s: %.300s\r\n", number,
                  error_text(number), detail != nullptr ? detail : "");
    qurdex::report(text);
    qx_stop_run(number);
}

void qx_command_line(char *field, size_t width)
{
    size_t length = g_tail.size() < width ? g_tail.size() : width;
    std::memcpy(field, g_tail.data(), length);
    std::memset(field + length, ' ', width - length);
}

// Reads the process's environment as it is now, not the C run-time's copy taken at start.
void qx_get_env(const char *name, char *field, size_t width)
{
    DWORD needed = GetEnvironmentVariableA(name, nullptr, 0);
    if (needed == 0)
        return;
    std::string value(needed, '\0');
    DWORD length = GetEnvironmentVariableA(name, value.data(), needed);
    if (length >= needed)
        return;
    std::memcpy(field, value.data(), length < width ? length : width);
}

void qx_number_to_text(uint32_t value, char *field, int digits)
{
    for (int i = digits - 1; i >= 0; --i) {
        field[i] = static_cast<char>('0' + value % 10);
        value /= 10;
    }
}

uint32_t qx_text_to_number(const char *field, int digits)
{
    uint32_t value = 0;
    for (int i = 0; i < digits; ++i) {
        if (field[i] < '0' || field[i] > '9')
            break;
        value = value * 10 + static_cast<uint32_t>(field[i] - '0');
    }
    return value;
}

} // extern "C"
