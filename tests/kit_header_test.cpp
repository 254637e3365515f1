// The host header compiled as C++ with every warning an error: its records are plain
// bytes that the project's code copies and zero-fills as aggregates.
#include "tarvel_host.h"

#include <type_traits>

static_assert(std::is_trivially_copyable_v<ActionTable> && std::is_standard_layout_v<ActionTable>);
static_assert(std::is_aggregate_v<BigEndian32> && std::is_aggregate_v<CompletionNotice>);
static_assert(sizeof(TARVEL_NO_NOTICE) - 1 == sizeof(ActionEntry::noticeTag));
