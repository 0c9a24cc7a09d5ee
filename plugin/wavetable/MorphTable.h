#pragma once

#include "wavetable/BandLimiter.h"
#include "wavetable/CycleMath.h"
#include "wavetable/Wavetable.h"

#include <juce_core/juce_core.h>

#include <algorithm>
#include <vector>

namespace halvo
{

/** A list of wavetables, one per frame, read with a continuous morph position in [0, 1]. */
class MorphTable
{
public:
    /** Draws every frame with the generator and band-limits it. The generator is called as
        generator (frameIndex, position, out) and writes 2048 samples into a zeroed buffer;
        position is 0 for a single frame, else frameIndex / (frameCount - 1). The band-limiting
        method is only chosen differently to check or time the FFT against the direct sums. */
    template <typename Generator>
    void build (int newFrameCount, const juce::String& newName, Generator&& generator,
                BandLimiter::Method method = BandLimiter::Method::fft)
    {
        frameCount = newFrameCount < 1 ? 1 : newFrameCount;
        name = newName;
        frames.resize ((size_t) frameCount);

        std::vector<float> scratch ((size_t) Wavetable::cycleLength);
        BandLimiter bandLimiter (method);

        for (int i = 0; i < frameCount; ++i)
        {
            std::fill (scratch.begin(), scratch.end(), 0.0f);
            const float position = frameCount < 2 ? 0.0f : (float) i / (float) (frameCount - 1);
            generator (i, position, scratch.data());
            frames[(size_t) i].buildFromCycle (scratch.data(), Wavetable::cycleLength, bandLimiter);
        }
    }

    /** The two neighbouring frames at a morph position and level, and the blend between
        them. An oscillator resolves this once per block and then reads it every sample. */
    struct FramePair
    {
        const float* first = nullptr;   // null for a table that was never built
        const float* second = nullptr;  // null for a single frame
        float weight = 0.0f;

        /** Linear interpolation inside both frames and between them. */
        float read (float samplePosition) const noexcept
        {
            if (first == nullptr)
                return 0.0f;

            const auto point = cycle::readPointFor (samplePosition);
            const float a = cycle::interpolate (first, point);
            if (second == nullptr)
                return a;

            const float b = cycle::interpolate (second, point);
            // At the end of the range the last frame is returned as it is: a + (b - a) can
            // differ from b by a rounding step when b - a is inexact.
            return weight < 1.0f ? a + (b - a) * weight : b;
        }
    };

    /** Resolves the frames for a morph position (clamped to 0..1; NaN reads as 0) and a level
        (clamped to 0..10). */
    FramePair framesAt (float position, int level) const noexcept;

    /** The sample at a morph position in [0, 1], a level and a sample position in [0, 2048):
        linear interpolation inside the two neighbouring frames and between them. A table that
        was never built reads 0; a single frame ignores the morph position. */
    float lookupMorphed (float position, int level, float samplePosition) const noexcept
    {
        return framesAt (position, level).read (samplePosition);
    }

    int getFrameCount() const noexcept { return frameCount; }
    const juce::String& getName() const noexcept { return name; }
    const Wavetable& getFrame (int index) const noexcept { return frames[(size_t) index]; }

private:
    std::vector<Wavetable> frames;
    int frameCount = 0;
    juce::String name;
};

} // namespace halvo
