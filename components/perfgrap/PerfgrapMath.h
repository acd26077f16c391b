#pragma once

// The performance graph's arithmetic, kept apart from the widget so it can be
// checked without drawing anything.

#include <QtGlobal>

namespace Perfgrap {

// `value` rounded up to a multiple of `gradient`: (value div gradient + 1) ×
// gradient when the truncating division leaves a remainder, else `value`
// itself; a gradient of 0 leaves the value alone. Results beyond the 32-bit
// range stop at its ends instead of wrapping.
[[nodiscard]] qint32 RoundUp(qint32 value, qint32 gradient);

// Pixels a value rises above the bottom edge of an image `imageHeight` high on
// the given scale: (value ÷ scale) × height in floating point, truncated.
// Never below 0: negative values and a scale of 0 or less give 0, so nothing
// divides by zero. Capped far outside any image so the result stays an int.
[[nodiscard]] int ScaledHeight(qint64 value, qint32 scale, int imageHeight);

// Whole time steps that fit across the control: width div step.
[[nodiscard]] int BandCount(int width, int stepSize);

// Slots of the history ring: the visible bands, the oldest band (kept only as
// the start of lines) and the band being filled.
[[nodiscard]] int HistoryCapacity(int width, int stepSize);

// `value` mod `divisor` in 0 .. divisor − 1, also for negative values.
[[nodiscard]] qint64 FloorMod(qint64 value, qint64 divisor);

} // namespace Perfgrap
