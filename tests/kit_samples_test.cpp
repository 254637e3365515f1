// The host kit's samples run as a host's author runs them: the host in another process
// with the module that forwards TARVEL's lines to it, that module's end of run, and the
// host in its own process.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "child_process.h"
#include "forwarding.h"
#include "sample_table.h"
#include "test_support.h"

using test_support::TempDir;

namespace {

const std::string kBin = test_support::wine_path(KIT_SAMPLES_BIN);
const std::string kTarvel = kBin + "\\tarvel\\TARVEL.EXE";

// The lines of output that begin with prefix, without it and without their line end.
std::vector<std::string> lines_after(const std::string &output, const std::string &prefix)
{
    std::vector<std::string> found;
    size_t start = 0;
    while (start < output.size()) {
        size_t end = output.find('\n', start);
        if (end == std::string::npos)
            end = output.size();
        std::string line = output.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.rfind(prefix, 0) == 0)
            found.push_back(line.substr(prefix.size()));
        start = end + 1;
    }
    return found;
}

// Runs a sample in a folder of its own. The desktop is made first: under Wine the first
// window of a session starts the desktop process, which would keep the sample's output
// pipe open.
test_support::ChildRun run_sample(const std::string &name, const TempDir &dir)
{
    GetDesktopWindow();
    return test_support::run_child("\"" + kBin + "\\" + name + "\"", dir.path(), 60000);
}

std::vector<std::string> child_lines(const std::string &code)
{
    return {"child " + code + ": first line", "", "child " + code + ": last line, without CR LF"};
}

} // namespace

TEST(KitSamples, ProcessHostGetsEveryLineAndEveryNoticeWithItsExitCode)
{
    TempDir dir;
    test_support::ChildRun run = run_sample("host_process.exe", dir);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    std::vector<std::string> lines = child_lines("3");
    lines.push_back("interpreted ");
    for (const std::string &line : child_lines("3221225477"))
        lines.push_back(line);
    EXPECT_EQ(lines_after(run.output, "line: "), lines) << run.output;
    // The exit code above 1,000,000,000 arrives reduced, as WAITEXE stores it.
    EXPECT_EQ(lines_after(run.output, "notice "),
              (std::vector<std::string>{"DIRECT: exit code 3", "COMMAND: exit code 4",
                                        "LAST: exit code 221225477"}))
        << run.output;
    EXPECT_EQ(lines_after(run.output, "TARVEL ended with exit code "),
              std::vector<std::string>{"0"});
    EXPECT_FALSE(test_support::file_exists(dir.file("KITHOST")));
}

TEST(KitSamples, InProcessHostRunsATableFromMemoryAndAnotherOnAControllerThread)
{
    TempDir dir;
    test_support::ChildRun run = run_sample("host_in_process.exe", dir);
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    std::vector<std::string> lines = child_lines("7");
    for (const std::string &line : child_lines("9"))
        lines.push_back(line);
    EXPECT_EQ(lines_after(run.output, "line: "), lines) << run.output;
    EXPECT_EQ(lines_after(run.output, "notice "),
              (std::vector<std::string>{"MEMORY: exit code 7", "THREAD: exit code 9"}))
        << run.output;
    EXPECT_EQ(lines_after(run.output, "TR010Action returned "), std::vector<std::string>{"0"});
    EXPECT_EQ(lines_after(run.output, "STARTTHREAD returned "), std::vector<std::string>{"0"});
    EXPECT_FALSE(test_support::file_exists(dir.file("00000042")));
}

namespace {

// A host in another process that takes its notices only when the forwarding module
// says that TARVEL's run ends: while TARVEL runs it handles the messages sent to it
// (the lines) and leaves the posted ones (the notices) in its queue.
class LateHost {
public:
    LateHost()
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = &procedure;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "KitLateHost";
        RegisterClassA(&wc);
        window_.reset(CreateWindowA(wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    wc.hInstance, nullptr));
        g_lateHost = this;
    }
    ~LateHost() { g_lateHost = nullptr; }

    // Runs TARVEL on an action file of entries that start the sample child with each
    // code, each with a notice; true when TARVEL ended.
    bool run(const std::vector<std::string> &codes)
    {
        ActionHeader header;
        sample_header(&header);
        std::vector<ActionEntry> entries(codes.size());
        for (size_t i = 0; i < codes.size(); ++i)
            sample_entry(&entries[i], window_.get(), TARVEL_KIND_DIRECT,
                         (kBin + "\\host_process.exe").c_str(), ("--child " + codes[i]).c_str(),
                         ("N" + codes[i]).c_str());
        if (!write_action_file(dir.file("LATE").c_str(), &header, entries.data(), entries.size()))
            return false;
        test_support::ScopedVariable named(
            FORWARD_WINDOW_VARIABLE, std::to_string(reinterpret_cast<uintptr_t>(window_.get())));
        tarvel_ = test_support::start_child("\"" + kTarvel + "\" LATE", dir.path());
        if (!tarvel_)
            return false;
        DWORD start = GetTickCount();
        while (GetTickCount() - start < 30000) {
            HANDLE process = tarvel_.process();
            if (MsgWaitForMultipleObjects(1, &process, FALSE, 1000, QS_SENDMESSAGE) ==
                WAIT_OBJECT_0)
                return true;
            MSG msg;
            PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        }
        return false;
    }

    TempDir dir;
    std::vector<std::string> lines;
    std::vector<std::string> notices; // tag and exit code, taken at the run's end
    int runEnds = 0;

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message != WM_COPYDATA || g_lateHost == nullptr)
            return DefWindowProcA(window, message, wParam, lParam);
        const auto *data = reinterpret_cast<const COPYDATASTRUCT *>(lParam);
        if (data->dwData == FORWARD_LINE)
            g_lateHost->lines.emplace_back(static_cast<const char *>(data->lpData), data->cbData);
        if (data->dwData == FORWARD_RUN_END) {
            ++g_lateHost->runEnds;
            g_lateHost->take_notices();
        }
        return TRUE;
    }

    void take_notices()
    {
        MSG msg;
        while (
            PeekMessageA(&msg, nullptr, TARVEL_NOTICE_MESSAGE, TARVEL_NOTICE_MESSAGE, PM_REMOVE)) {
            HANDLE pipe = nullptr;
            if (!DuplicateHandle(tarvel_.process(), reinterpret_cast<HANDLE>(msg.lParam),
                                 GetCurrentProcess(), &pipe, 0, FALSE, DUPLICATE_SAME_ACCESS))
                continue;
            owner::unique_handle own(pipe);
            struct {
                BlockHeader header;
                CompletionNotice notice;
            } block{};
            DWORD read = 0;
            if (ReadFile(pipe, &block, sizeof block, &read, nullptr) && read == sizeof block)
                notices.push_back(std::string(block.notice.noticeTag, tag_length(&block.notice)) +
                                  " " + std::to_string(block.notice.exitCode.get()));
        }
    }

    static inline LateHost *g_lateHost = nullptr;
    owner::unique_hwnd window_;
    test_support::ChildProcess tarvel_;
};

} // namespace

TEST(KitForwardLines, AtTheRunsEndTarvelWaitsUntilTheHostHasTakenItsNotices)
{
    LateHost host;
    ASSERT_TRUE(host.run({"5", "6"}));
    EXPECT_EQ(host.runEnds, 1);
    EXPECT_EQ(host.notices, (std::vector<std::string>{"N5 5", "N6 6"}));
    std::vector<std::string> lines = child_lines("5");
    for (const std::string &line : child_lines("6"))
        lines.push_back(line);
    EXPECT_EQ(host.lines, lines);
}

TEST(KitForwardLines, WithoutAHostWindowTheLinesAreDroppedAndNoMessageBoxWaits)
{
    TempDir dir;
    ActionHeader header;
    ActionEntry entry;
    sample_header(&header);
    sample_entry(&entry, nullptr, TARVEL_KIND_DIRECT, (kBin + "\\host_process.exe").c_str(),
                 "--child 0", TARVEL_NO_NOTICE);
    ASSERT_TRUE(write_action_file(dir.file("ALONE").c_str(), &header, &entry, 1));
    test_support::ScopedVariable unnamed(FORWARD_WINDOW_VARIABLE, "0");
    GetDesktopWindow();
    test_support::ChildRun run = test_support::run_child("\"" + kTarvel + "\" ALONE", dir.path());
    ASSERT_TRUE(run.finished);
    EXPECT_EQ(run.exitCode, 0u) << run.output;
    EXPECT_FALSE(test_support::file_exists(dir.file("ALONE")));
}
