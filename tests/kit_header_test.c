/* The host header compiled as C11 with every warning an error: its records, with the
   sizes and offsets it checks, and the sizes a C host computes from its numbers. */
#include "tarvel_host.h"

TARVEL_STATIC_ASSERT(TARVEL_TABLE_SIZE(1) == 4420);
TARVEL_STATIC_ASSERT((TARVEL_TABLE_SIZE(TARVEL_MAX_ACTIONS) - TARVEL_ACTION_COUNT_BASE) /
                         TARVEL_ENTRY_SIZE ==
                     TARVEL_MAX_ACTIONS);
TARVEL_STATIC_ASSERT(sizeof(TARVEL_NO_NOTICE) - 1 == sizeof(((ActionEntry *)0)->noticeTag));
