#include "run_action.h"

// The hook the action runner fills; until it does, an entry starts nothing.
void run_action(Controller &, ActionTable &, int32_t *, int32_t &) {}
