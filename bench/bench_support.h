// What the benchmarks share: the program's own path, timing, medians over interleaved
// runs, and the plain redirected launch that the launch routines are measured against.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "owner.h"

namespace bench {

// The full path of the running program.
std::string self_path();
// The folder of the running program, without a final separator.
std::string self_folder();

double seconds(const std::function<void()> &work);

double median(std::vector<double> values);

// Seconds of each of runs runs of each candidate, the runs of the candidates interleaved
// so that a change of machine load touches them alike: one row per candidate.
std::vector<std::vector<double>> timings(const std::vector<std::function<void()>> &candidates,
                                         int runs);

// The median of each candidate's row of timings.
std::vector<double> medians(const std::vector<std::function<void()>> &candidates, int runs);

// The median over runs of the ratio of one run of a candidate to the same run of the
// baseline: a slower stretch of the machine touches both sides of each ratio.
double paired_ratio(const std::vector<double> &candidate, const std::vector<double> &baseline);

// A pipe for a child's output: the write end inheritable, the read end kept back.
struct OutputPipe {
    owner::unique_handle readEnd;
    owner::unique_handle writeEnd;
};
OutputPipe output_pipe();

// Starts command (in folder, or the current one when empty) with its standard output
// and error on a pipe, hands every read to take, and waits for the child: the plain
// way to run a program and collect its output. hidden starts the child's window (and
// a console of its own, when it gets one) hidden, as the launch routines do.
void plain_run(const std::string &command, const std::string &folder,
               const std::function<void(const char *, DWORD)> &take, bool hidden = false);

} // namespace bench
