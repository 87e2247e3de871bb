// The caption from the program's path, and the titles formed from it.
#pragma once

#include "base/text.h"

// Drops the last four characters of programPath, then keeps what follows the last
// backslash after the first character. The result is cut to the buffer.
void MakeCaption(const char16_t* programPath, char16_t (&result)[TEXT_UNITS]);

// The titles in the chosen language, cut to the buffer when the caption is long.
void FormatWindowTitle(const char16_t* name, char16_t (&title)[TEXT_UNITS]);
void FormatOptionListTitle(const char16_t* name, char16_t (&title)[TEXT_UNITS]);
// "%s0", the hidden owner window's class.
void FormatOwnerClassName(const char16_t* name, char16_t (&className)[TEXT_UNITS]);
