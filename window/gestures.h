// Texts and numbers that the window's gestures and timers are made of.
#pragma once

#include <cstdint>

#include "base/text.h"

// "/select," + quote + path + quote. Sized for the longest path the registry read
// can give (259 units), so that no path is ever cut before Explorer sees it.
constexpr int EXPLORER_PARAMETER_UNITS = TEXT_UNITS + 12;

void FormatExplorerParameters(const char16_t* path, char16_t (&parameters)[EXPLORER_PARAMETER_UNITS]);

// The position box's title and text in the chosen language.
void FormatPositionTitle(const char16_t* name, char16_t (&title)[TEXT_UNITS]);

// The position box text: the window's edges, its size and the row height, given in
// pixels and shown in the options' units, so that the seven numbers typed back as
// options give the same window on any monitor: the edges at edgeDpi (what start-up
// counts positions in), the sizes at sizeDpi (what the window was laid out at).
void FormatPositionText(int32_t left,
                        int32_t top,
                        int32_t right,
                        int32_t bottom,
                        int32_t rowPitch,
                        int32_t edgeDpi,
                        int32_t sizeDpi,
                        char16_t (&text)[TEXT_UNITS]);

// Largest period a window timer takes (USER_TIMER_MAXIMUM).
constexpr uint32_t MAX_TIMER_PERIOD_MS = 0x7FFFFFFF;

// seconds × 1000 as a timer period, held at the largest period instead of wrapping.
uint32_t TimerPeriodFromSeconds(int32_t seconds);
