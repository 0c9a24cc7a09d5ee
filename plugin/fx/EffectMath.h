#pragma once

#include <cmath>

namespace halvo::fx
{

/** Below this mix an effect is inaudible, and it is skipped rather than run: its state stays
    as it was and the signal is not touched at all. */
inline constexpr float inaudibleMix = 1.0e-4f;

/** Limits a parameter value to its range. A NaN lands on the lower bound, so that a value
    that cannot be read never reaches a formula. */
inline float clampParameter (float value, float lowest, float highest) noexcept
{
    return value >= lowest ? (value <= highest ? value : highest) : lowest;
}

/** The stateful effects take a non-finite sample as silence: one NaN in a delay line or a
    filter state would otherwise keep the effect silent or broken for good. */
inline float finiteOrZero (float x) noexcept
{
    return std::isfinite (x) ? x : 0.0f;
}

/** Blends the processed sample y into the dry sample x. */
inline float blend (float x, float y, float mix) noexcept
{
    return x + (y - x) * mix;
}

} // namespace halvo::fx
