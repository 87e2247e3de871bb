// The title that Windows Spotlight gives the desktop picture. Windows describes the
// pictures it downloaded in the value Creatives of the current user's key
// Software\Microsoft\Windows\CurrentVersion\DesktopSpotlight\Creatives: REG_SZ, a JSON
// array of items, each with an "ad" object holding "title" and the local paths of its
// pictures ("landscapeImage" and "portraitImage", each an object with an "asset").
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/text.h"

// Windows writes a few kilobytes for its four pictures; a larger value is not read.
constexpr uint32_t SPOTLIGHT_VALUE_BYTES = 256 * 1024;
// The parser's tokens: four items take about 150, more than this is no title.
constexpr uint32_t SPOTLIGHT_TOKENS = 2048;
constexpr size_t SPOTLIGHT_TOKEN_BYTES = 5 * sizeof(int);

// The room a search over a value of units code units needs: the parser's tokens, then
// one byte per unit. The caller hands it over aligned for an int.
constexpr size_t SpotlightWorkBytes(size_t units) {
    return SPOTLIGHT_TOKENS * SPOTLIGHT_TOKEN_BYTES + units;
}

// The title of the first item one of whose assets is path (compared without regard to
// case) with a title that is a string of more than blanks: 1 and the title, decoded from
// JSON, control characters as blanks, cut to TEXT_UNITS - 1 units between two
// characters. value is units UTF-16 code units (a zero ends it sooner); work is
// SpotlightWorkBytes(units) bytes. A value larger than SPOTLIGHT_VALUE_BYTES, invalid
// JSON, more than SPOTLIGHT_TOKENS tokens, no such item: 0 and an empty title.
int FindSpotlightTitle(const char16_t* value,
                       size_t units,
                       const char16_t* path,
                       void* work,
                       char16_t (&title)[TEXT_UNITS]);
