#pragma once

#include "wavetable/BandLimiter.h"
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

    /** The sample at a morph position in [0, 1], a level and a sample position in [0, 2048):
        linear interpolation inside the two neighbouring frames and between them. A table that
        was never built reads 0; a single frame ignores the morph position. */
    float lookupMorphed (float position, int level, float samplePosition) const noexcept;

    int getFrameCount() const noexcept { return frameCount; }
    const juce::String& getName() const noexcept { return name; }
    const Wavetable& getFrame (int index) const noexcept { return frames[(size_t) index]; }

private:
    std::vector<Wavetable> frames;
    int frameCount = 0;
    juce::String name;
};

} // namespace halvo
