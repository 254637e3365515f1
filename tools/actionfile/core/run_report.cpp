// The header and closing lines of actionfile run, and the status a run ends with.
#include "run_report.h"

#include <algorithm>
#include <cstring>

namespace actionfile {

std::string kind_name(uint8_t kind)
{
    if (kind == kKindInterpreter)
        return "command interpreter";
    if (kind == kKindHandOver)
        return "hand-over";
    return "direct";
}

namespace {

std::string program_text(const ActionEntry &entry)
{
    return std::string(entry.program, strnlen(entry.program, sizeof entry.program));
}

} // namespace

std::string header_line(size_t number, const ActionEntry &entry, const std::string &directory)
{
    return "== entry " + std::to_string(number) + ": kind " + std::to_string(entry.kind) + " (" +
           kind_name(entry.kind) + "), " + program_text(entry) + ", in " + directory;
}

std::string closing_line(size_t number, const ActionEntry &entry, const EntryOutcome &outcome)
{
    std::string line = "== entry " + std::to_string(number) + " (" + program_text(entry) + ")";
    if (outcome.state == EntryOutcome::State::Skipped)
        return line + " skipped (runFlag 0)";
    if (outcome.state == EntryOutcome::State::NotStarted)
        line += " could not start";
    else
        line += " ended with exit code " + std::to_string(outcome.exitCode);
    if (!outcome.notice)
        return line + ", no notice";
    line += ", notice \"" + outcome.tag + "\"";
    if (outcome.state == EntryOutcome::State::NotStarted)
        line += " with exit code " + std::to_string(outcome.exitCode);
    return line;
}

int exit_status(const std::vector<EntryOutcome> &outcomes)
{
    const bool allGood = std::all_of(outcomes.begin(), outcomes.end(), [](const EntryOutcome &o) {
        return o.state == EntryOutcome::State::Skipped ||
               (o.state == EntryOutcome::State::Ended && o.exitCode == 0);
    });
    return allGood ? 0 : 1;
}

std::string tag_text(const char (&noticeTag)[12])
{
    size_t length = sizeof noticeTag;
    while (length > 0 && (noticeTag[length - 1] == ' ' || noticeTag[length - 1] == '\0'))
        --length;
    return std::string(noticeTag, length);
}

} // namespace actionfile
