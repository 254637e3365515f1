// The named entries of the executable, as the entry table and the programs call them:
// declared once, in the host header, with the records they take.
#pragma once

#include "tarvel_host.h"
