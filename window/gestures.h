// Texts and numbers that the window's gestures and timers are made of.
#pragma once

#include <cstdint>

#include "base/language.h"
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

// The move of the picture to the Recycle Bin. The progress sink's flag
// TSF_DELETE_RECYCLE_IF_POSSIBLE: the item about to be deleted goes to the bin.
constexpr uint32_t DELETE_TO_BIN = 0x80;

// The progress sink's decision before each delete: only into the bin. A file the bin
// cannot take (a network share, a bin turned off or too small) would be destroyed.
bool DeleteGoesToBin(uint32_t flags);

// SHFileOperationW's list of one file: the path and two zeros, for the longest path.
constexpr int FILE_LIST_UNITS = TEXT_UNITS + 1;

// 0, and an empty list, for an empty path or one that would not fit whole: a cut path
// names another file.
int FormatFileList(const char16_t* path, char16_t (&list)[FILE_LIST_UNITS]);

// The question and the failure's text, naming the file without its folders; room for
// the longest name.
constexpr int RECYCLE_TEXT_UNITS = 2 * TEXT_UNITS;
void FormatRecycleText(TextId id, const char16_t* path, char16_t (&text)[RECYCLE_TEXT_UNITS]);
