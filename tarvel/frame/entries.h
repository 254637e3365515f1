// The named entries of the executable, as the entry table and the programs call them.
#pragma once

#include <cstdint>

struct ActionTable;

extern "C" {

// TARVEL
int32_t TARVEL(int32_t *runMode);
int32_t TR010Action(ActionTable *table, int32_t *runMode);
int32_t tarvelthread(uint32_t number);

// QUERYEXE

// ABSPATH

// W32RTNS

// W32ENUM

// JOINENV

}
