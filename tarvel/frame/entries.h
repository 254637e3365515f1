// The named entries of the executable, as the entry table and the programs call them.
#pragma once

#include <cstdint>

extern "C" {

// TARVEL
int32_t TARVEL(int32_t *runMode);

// QUERYEXE

// ABSPATH

// W32RTNS

// W32ENUM

// JOINENV

}
