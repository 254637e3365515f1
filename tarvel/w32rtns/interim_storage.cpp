#include "interim_storage.h"

W32rtnsInterim g_w32rtns;
