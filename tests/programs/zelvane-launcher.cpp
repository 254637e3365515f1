// A framework program that launches from the CD tree it lies in, as the front-end
// does. Argument text: COUNT|PROGRAM|FOLDER|ARGUMENTS; it launches COUNT times and
// exits with the number of launches that started.
#include "launch.h"
#include "mfc.h"

#include <cstdlib>
#include <string>

namespace {

class LauncherApp : public CWinApp {
public:
    BOOL InitInstance() noexcept override
    {
        std::string text = m_lpCmdLine != nullptr ? m_lpCmdLine : "";
        size_t a = text.find('|');
        size_t b = a == std::string::npos ? a : text.find('|', a + 1);
        size_t c = b == std::string::npos ? b : text.find('|', b + 1);
        if (c == std::string::npos) {
            started_ = -1;
            return FALSE;
        }
        int count = std::atoi(text.substr(0, a).c_str());
        std::string program = text.substr(a + 1, b - a - 1);
        std::string folder = text.substr(b + 1, c - b - 1);
        std::string arguments = text.substr(c + 1);
        for (int i = 0; i < count; ++i)
            started_ += LaunchProgram(program.c_str(), folder.c_str(), arguments.c_str()) ? 1 : 0;
        return FALSE;
    }
    int ExitInstance() noexcept override { return started_; }

private:
    int started_ = 0;
};

LauncherApp theApp;

} // namespace
