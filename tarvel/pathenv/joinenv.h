// JOINENV: builds an environment block from the process environment with up to nine
// texts of settings laid over it, names upper-cased and in ascending order.
#pragma once

#include <cstdint>
#include <functional>

#include "joinenv_merge.h"

namespace pathenv {

// join_texts with the run-time's virtual file and sort, set up on the storage's first
// call: a sort whose work file fails is reported on standard error.
const char *join(Joinenv &storage, const std::function<const char *()> &read_base, uint32_t count,
                 const char *const texts[9]);

} // namespace pathenv
