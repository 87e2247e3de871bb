// When the desktop slideshow changes the picture next.
#pragma once

#include <cstdint>

constexpr int32_t SLIDESHOW_MARGIN_MS = 1000;
// Largest interval whose delay (interval + margin) still fits a signed 32-bit count.
constexpr int32_t MAX_SLIDESHOW_INTERVAL = 2147482647;

// Milliseconds from the given local time to one margin past the next whole multiple
// of interval since midnight: 1001 to interval + 1000. An interval that fails
// IntervalIsUsable (0 would divide by zero, a larger one overflow) gives 0.
int32_t NextChangeDelay(int32_t interval, int32_t hour, int32_t minute, int32_t second, int32_t millisecond);

// 1 for an interval that NextChangeDelay can take (1 to MAX_SLIDESHOW_INTERVAL).
int IntervalIsUsable(int32_t interval);

// Takes the interval from the registry's bytes: exactly 4, little-endian, as a signed
// count; 0 (and *interval untouched) for any other size.
int IntervalFromData(const uint8_t* data, uint32_t bytes, int32_t* interval);

// The desktop wallpaper interface's slideshow state bits (DESKTOP_SLIDESHOW_STATE).
constexpr uint32_t SLIDESHOW_ENABLED = 0x1;
constexpr uint32_t SLIDESHOW_CONFIGURED = 0x2;
constexpr uint32_t SLIDESHOW_DISABLED_BY_REMOTE_SESSION = 0x4;

// 1 when a slideshow is configured and running: enabled (not paused, e.g. on battery)
// and not stopped by a remote session.
int SlideshowCanAdvance(uint32_t state);
