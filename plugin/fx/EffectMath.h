#pragma once

#include <algorithm>
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

/** Runs a memoryless curve over every sample of every channel and blends it in at the mix.
    Below an audible mix the buffer is left untouched. */
template <typename Buffer, typename Curve>
void shapeEverySample (Buffer& buffer, int numSamples, float mix, Curve&& curve) noexcept
{
    if (mix <= inaudibleMix)
        return;

    const int n = std::min (numSamples, buffer.getNumSamples());

    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
    {
        auto* samples = buffer.getWritePointer (channel);

        for (int i = 0; i < n; ++i)
            samples[i] = curve (samples[i]);
    }
}

} // namespace halvo::fx
