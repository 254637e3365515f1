// actionfile: writes a binary action file from its text description, shows any
// action file as that text, and runs a table entry by entry, showing what each did.
//
//   actionfile write DESCRIPTION ACTIONFILE
//   actionfile dump ACTIONFILE
//   actionfile run [--quiet] DESCRIPTION
//   actionfile run [--quiet] --file ACTIONFILE
//
// Exit codes of write and dump: 0 done, 1 a file could not be read or written or its
// content is not valid, a description of more than 500 entries included (the reason
// goes to standard error), 2 wrong arguments. dump shows a file of any length whole.
// Exit codes of run: 0 every entry that ran ended with exit code 0, 1 an entry ended
// otherwise or could not start, 2 wrong arguments or a table that cannot be read or
// holds more than 500 entries.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "action_text.h"
#include "run_table.h"

namespace {

// "actionfile: cannot VERB PATH: REASON", the reason being the C run-time's text for
// the file call that failed last; called before anything else can change it.
void report_file_fault(const char *verb, const char *path)
{
    const int error = errno;
    std::cerr << "actionfile: cannot " << verb << " " << path << ": " << std::strerror(error)
              << "\n";
}

bool read_all(const char *path, std::string &bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

int usage()
{
    std::cerr << "usage: actionfile write DESCRIPTION ACTIONFILE\n"
                 "       actionfile dump ACTIONFILE\n"
                 "       actionfile run [--quiet] DESCRIPTION\n"
                 "       actionfile run [--quiet] --file ACTIONFILE\n";
    return 2;
}

using Reader = bool (*)(std::string_view, actionfile::ActionFile &, std::string &);

// Reads path with reader (a description's parse or a binary file's from_bytes); on
// failure the reason, for a description with its line, goes to standard error.
bool load(const char *path, Reader reader, actionfile::ActionFile &file)
{
    std::string content;
    if (!read_all(path, content)) {
        report_file_fault("read", path);
        return false;
    }
    std::string error;
    if (!reader(content, file, error)) {
        std::cerr << "actionfile: " << path << ": " << error << "\n";
        return false;
    }
    return true;
}

// A binary table to run: the controller runs none past the 500th, so such a table is
// refused whole rather than run in part.
bool runnable_from_bytes(std::string_view bytes, actionfile::ActionFile &file, std::string &error)
{
    if (!actionfile::from_bytes(bytes, file, error))
        return false;
    if (file.entries.size() <= kMaxActions)
        return true;
    error = std::to_string(file.entries.size()) + " entries: a table holds at most " +
            std::to_string(kMaxActions) + " entries";
    return false;
}

int write(const char *descriptionPath, const char *actionPath)
{
    actionfile::ActionFile file;
    if (!load(descriptionPath, &actionfile::parse, file))
        return 1;
    const std::string bytes = actionfile::to_bytes(file);
    // A stream that did not open writes and closes nothing, so the fault reported is the
    // open's, else the write's or the close's.
    std::ofstream out(actionPath, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        report_file_fault("write", actionPath);
        return 1;
    }
    return 0;
}

int dump(const char *actionPath)
{
    actionfile::ActionFile file;
    if (!load(actionPath, &actionfile::from_bytes, file))
        return 1;
    std::cout << actionfile::describe(file);
    return std::cout.flush() ? 0 : 1;
}

// The arguments after "run": --quiet anywhere, then a description, or --file and an
// action file.
int run(const std::vector<std::string> &arguments)
{
    bool quiet = false;
    std::vector<std::string> rest;
    for (const std::string &argument : arguments) {
        if (argument == "--quiet")
            quiet = true;
        else
            rest.push_back(argument);
    }
    const bool binary = rest.size() == 2 && rest[0] == "--file";
    if (!binary && (rest.size() != 1 || rest[0].rfind("--", 0) == 0))
        return usage();
    actionfile::ActionFile file;
    if (!load(rest.back().c_str(), binary ? &runnable_from_bytes : &actionfile::parse, file))
        return 2;
    return actionfile::run_table(file, quiet);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc == 4 && std::string(argv[1]) == "write")
        return write(argv[2], argv[3]);
    if (argc == 3 && std::string(argv[1]) == "dump")
        return dump(argv[2]);
    if (argc >= 2 && std::string(argv[1]) == "run")
        return run(std::vector<std::string>(argv + 2, argv + argc));
    return usage();
}
