// The argument text of a process command line by the Windows rule.
#pragma once

namespace mfc {

// The argument text of a process command line, by the rule Windows itself uses: the
// program name ends at its closing quote when it starts with one (the argument may
// follow at once, as in "A.EXE"/cd), else at the first blank; the blanks (characters
// up to and including space) after it are skipped. A quote that is never closed makes
// the whole line the name and the argument text empty. Points into commandLine.
char *argument_text(char *commandLine);

} // namespace mfc
