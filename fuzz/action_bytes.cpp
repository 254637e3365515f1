// Any bytes as an action file: a clear outcome, a table or a refusal that says why;
// a table's bytes are the bytes read, and its dump written back gives them again (a
// table of more entries than a table holds is dumped, and write refuses the dump with
// the line of the entry past them).
#include <cstdint>
#include <string>

#include "action_text.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string_view bytes = fuzz::text_of(data, size);
    actionfile::ActionFile file;
    std::string error;
    if (!actionfile::from_bytes(bytes, file, error)) {
        fuzz::check(bytes.size() < sizeof(ActionHeader) && !error.empty(),
                    "only a file shorter than a header is refused, with a reason");
        return 0;
    }
    fuzz::check(actionfile::to_bytes(file) == bytes, "the table read holds the bytes read");
    actionfile::ActionFile written;
    const bool read = actionfile::parse(actionfile::describe(file), written, error);
    if (file.entries.size() > kMaxActions) {
        fuzz::check(!read && error.rfind("line ", 0) == 0,
                    "the dump of an overlong table is refused with a line");
        return 0;
    }
    fuzz::check(read, "the dump reads back");
    fuzz::check(actionfile::to_bytes(written) == bytes, "dump then write gives the same bytes");
    return 0;
}
