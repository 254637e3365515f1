// A CD tree in a temporary folder whose programs are recorders (zelvane-record): each
// start of one appends how it was started to one file beside the tree, which the
// variable ZELVANE_RECORD_FILE names while the tree lives.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include "test_support.h"

namespace test_support {

// One start of a recorder: its command line, current directory and start-up show
// fields ("flag,show": whether STARTF_USESHOWWINDOW was set, and wShowWindow).
struct RecordedStart {
    std::string commandLine;
    std::string directory;
    std::string show;
};

std::ostream &operator<<(std::ostream &out, const RecordedStart &start);

class CdTree {
public:
    // The tree is the folder named base in a temporary folder, or that folder itself.
    explicit CdTree(const std::string &base = "");
    CdTree(const CdTree &) = delete;
    CdTree &operator=(const CdTree &) = delete;

    // relative's path in the tree; "" is the tree's own folder.
    std::string path(const std::string &relative) const;
    // Creates the folder relative and every folder above it in the tree.
    void make_folders(const std::string &relative) const;
    // Copies program (a path below the test programs' folder) to relative in the tree.
    bool copy_program(const std::string &program, const std::string &relative) const;
    // Puts a recorder at relative, its folders made first.
    void place_recorder(const std::string &relative) const;

    // Every start recorded so far, in order, with each command line as the child saw it.
    std::vector<RecordedStart> starts() const;
    // Waits until count starts have been recorded.
    bool wait_for_starts(size_t count, DWORD timeout_ms = 10000) const;

private:
    TempDir root_;
    std::string base_;
    std::string record_;
    ScopedVariable recordFile_;
};

} // namespace test_support
