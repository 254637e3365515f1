// The named entries of the executable, as the entry table and the programs call them.
#pragma once

#include <cstdint>

struct ActionTable;

extern "C" {

// TARVEL
int32_t TARVEL(int32_t *runMode);
int32_t TR0Set0AppDir(const ActionTable *table);
int32_t TR0Reset0CurDir(void);
int32_t TR010Action(ActionTable *table, int32_t *runMode);
int32_t tarvelthread(uint32_t number);

// QUERYEXE
int32_t QUERYEXE(char *name, uint8_t *kind, const char *const *environment);

// ABSPATH
int32_t ABSPATH(const char *input, char *output);

// W32RTNS

// W32ENUM

// JOINENV
const char *JOINENV(const uint32_t *count, const char *text1, const char *text2,
                    const char *text3, const char *text4, const char *text5, const char *text6,
                    const char *text7, const char *text8, const char *text9);

}
