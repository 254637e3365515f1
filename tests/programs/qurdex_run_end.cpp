// Ends the run with code 7 while a second thread keeps calling by name through the
// run-time and writing storage of its own. The run's end must not run the static
// destructors that would tear that storage down under the thread; this program's own
// says so on standard output if they run.
#include <windows.h>

#include <string>

#include "owner.h"
#include "qurdex.h"

namespace {

struct Storage {
    std::string text = std::string(100, 'x');
    ~Storage()
    {
        DWORD written = 0;
        WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), "static destructors ran\r\n", 24, &written,
                  nullptr);
    }
};

Storage g_storage;
HANDLE g_working = nullptr;

int32_t probe(void *) { return 0; }

DWORD WINAPI work(LPVOID)
{
    for (;;) {
        void *entry = qx_lookup("QXRUNENDPROBE");
        g_storage.text.assign(100, entry != nullptr ? 'y' : 'n');
        SetEvent(g_working);
    }
}

} // namespace

int main()
{
    qx_register_entry("QXRUNENDPROBE", reinterpret_cast<void *>(&probe));
    g_working = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    owner::unique_handle worker(CreateThread(nullptr, 0, &work, nullptr, 0, nullptr));
    if (!worker)
        return 2;
    worker.reset(); // the thread runs on until the run ends
    WaitForSingleObject(g_working, 10000);
    qx_stop_run(7);
}
