// What the benchmarks share: paths, timing, medians and the plain redirected launch.
#include "bench_support.h"

#include <algorithm>
#include <chrono>

#include "owner.h"

namespace bench {

std::string self_path()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

std::string self_folder()
{
    std::string path = self_path();
    return path.substr(0, path.find_last_of("\\/"));
}

double seconds(const std::function<void()> &work)
{
    auto start = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

std::vector<std::vector<double>> timings(const std::vector<std::function<void()>> &candidates,
                                         int runs)
{
    std::vector<std::vector<double>> times(candidates.size());
    for (int run = 0; run < runs; ++run)
        for (size_t i = 0; i < candidates.size(); ++i)
            times[i].push_back(seconds(candidates[i]));
    return times;
}

std::vector<double> medians(const std::vector<std::function<void()>> &candidates, int runs)
{
    std::vector<double> result;
    for (auto &row : timings(candidates, runs))
        result.push_back(median(row));
    return result;
}

double paired_ratio(const std::vector<double> &candidate, const std::vector<double> &baseline)
{
    std::vector<double> ratios;
    for (size_t run = 0; run < candidate.size() && run < baseline.size(); ++run)
        ratios.push_back(candidate[run] / baseline[run]);
    return median(ratios);
}

OutputPipe output_pipe()
{
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    HANDLE readPipe = nullptr, writePipe = nullptr;
    CreatePipe(&readPipe, &writePipe, &sa, 0);
    OutputPipe pipe{owner::unique_handle(readPipe), owner::unique_handle(writePipe)};
    SetHandleInformation(pipe.readEnd.get(), HANDLE_FLAG_INHERIT, 0);
    return pipe;
}

void plain_run(const std::string &command, const std::string &folder,
               const std::function<void(const char *, DWORD)> &take, bool hidden)
{
    auto [readEnd, writeEnd] = output_pipe();
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES | (hidden ? STARTF_USESHOWWINDOW : 0);
    si.wShowWindow = SW_HIDE;
    si.hStdOutput = writeEnd.get();
    si.hStdError = writeEnd.get();
    PROCESS_INFORMATION pi{};
    std::string line = command;
    CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr,
                   folder.empty() ? nullptr : folder.c_str(), &si, &pi);
    owner::unique_handle thread(pi.hThread);
    owner::unique_handle process(pi.hProcess);
    // Only the child holds the write end now, so the reads end when it ends.
    writeEnd.reset();
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(readEnd.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
        take(buffer, got);
    WaitForSingleObject(process.get(), INFINITE);
}

} // namespace bench
