// The command-line grammar: one-letter options without a dash.
#pragma once

#include <cstdint>

// Applies one argument to settings; 1 when accepted, 0 when rejected.
int ApplyOption(const char16_t* argument);

// Optional sign, then ASCII digits only, wrapping modulo 2^32. 1 and the number, or
// 0 with *value set to 0.
int ParseSignedNumber(const char16_t* text, int32_t* value);
