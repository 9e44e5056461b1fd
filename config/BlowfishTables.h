// The published initial values of the cipher's P-array and S-boxes (the hexadecimal fraction
// digits of pi). Read-only; BlowfishInit copies them into a context before mixing in the key.
#pragma once

#include <cstdint>

extern const uint32_t g_anBlowfishInitP[18];
extern const uint32_t g_anBlowfishInitS[4][256];
