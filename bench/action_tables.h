// Action tables for the per-action benchmarks: the shape of a table's entries, the
// table, its action file, the command line the controller hands to the launch for an
// entry, and TARVEL.EXE run on the file.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "action_table.h"

namespace bench {

// The action file's name, as a host puts it on TARVEL.EXE's command line.
constexpr char kActionFileName[] = "ACTBENCH01";

// A text into a fixed-width field, NUL-padded, cut to leave at least one NUL.
void copy_text(char *field, size_t width, const std::string &text);

// One way of naming the application directory and the program, with the folder that
// the plain launch of the same job runs in.
struct TableShape {
    const char *title;
    std::string appDir;
    std::string program;
    std::string folder;
    std::string commandLine{};
    uint8_t kind = 3;
};

// A table of count entries of the shape, each with the run flag given.
std::unique_ptr<ActionTable> make_table(const TableShape &shape, int count, uint8_t runFlag);

// The action file of a table of count entries, in the work folder, as a host writes it.
void write_action_file(const std::string &workFolder, const ActionTable &table, int count);

// What the controller starts for an entry of the shape on Windows NT: the program, one
// blank, and the command line it prepares for the entry's kind.
std::string launch_command(const TableShape &shape);

// TARVEL.EXE with the action file's name on its command line, started in the work
// folder with the creation flags given, waited for.
void run_tarvel(const std::string &tarvel, const std::string &workFolder, DWORD creationFlags = 0);

// A work folder of the benchmarks under the temporary folder, with a folder app below it.
std::string make_work_folder();

} // namespace bench
