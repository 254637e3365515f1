// The switch to an action table's application directory and back.
#pragma once

#include <cstdint>

#include "action_table.h"
#include "appdir_expand.h"

namespace appdir {

// Saves the current drive and directory, then makes the header's application
// directory current, creating missing levels. Returns callStatus.
int32_t switch_to(AppDirSwitch &dirSwitch, const ActionHeader &header);

// Returns to the saved drive and directory when a switch back is due.
void switch_back(AppDirSwitch &dirSwitch);

} // namespace appdir
