#include "wavetable/Wavetable.h"

#include "wavetable/BandLimiter.h"
#include "wavetable/CycleMath.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace halvo
{

static_assert (Wavetable::cycleLength == cycle::length && Wavetable::cycleLength == BandLimiter::cycleLength);
static_assert (Wavetable::numLevels == BandLimiter::numLevels);

namespace
{
    /** Harmonic amplitudes of the ideal basic shapes; index 0 is unused. */
    std::array<float, Wavetable::maxHarmonic + 1> shapeAmplitudes (WaveShape shape) noexcept
    {
        std::array<float, Wavetable::maxHarmonic + 1> amplitudes {};

        for (int k = 1; k <= Wavetable::maxHarmonic; ++k)
        {
            const bool odd = (k % 2) == 1;

            if (shape == WaveShape::Saw)
                amplitudes[(size_t) k] = (odd ? 1.0f : -1.0f) / (float) k;
            else if (shape == WaveShape::Square)
                amplitudes[(size_t) k] = odd ? 1.0f / (float) k : 0.0f;
            else
                amplitudes[(size_t) k] = k == 1 ? 1.0f : 0.0f;
        }

        return amplitudes;
    }
} // namespace

Wavetable::Wavetable()
{
    for (auto& level : levels)
        level.assign ((size_t) storedLength, 0.0f);
}

void Wavetable::silence() noexcept
{
    // The levels always hold storedLength samples, so this never reallocates.
    for (auto& level : levels)
        std::fill (level.begin(), level.end(), 0.0f);
}

int Wavetable::levelForFrequency (double frequencyHz, double sampleRate) noexcept
{
    if (frequencyHz <= 0.0)
        return 0;

    const double nyquist = sampleRate / 2.0;

    for (int level = 0; level < numLevels; ++level)
        if (nyquist > (double) (maxHarmonic >> level) * frequencyHz)
            return level;

    return numLevels - 1;
}

void Wavetable::buildFromShape (WaveShape shape)
{
    const auto amplitudes = shapeAmplitudes (shape);

    // Level L sums harmonics 1..H(L) in float, in ascending order. Those sums are nested, so one
    // running sum grows from the poorest level to the richest and is copied out each time it
    // reaches a level's highest harmonic; every copy equals the level summed on its own.
    std::vector<float> runningSum ((size_t) cycleLength, 0.0f);
    int added = 0;

    for (int level = numLevels - 1; level >= 0; --level)
    {
        const int highest = highestHarmonic (level);
        cycle::addPartials (runningSum.data(), amplitudes.data(), added + 1, highest);
        added = highest;

        auto& samples = levels[(size_t) level];
        std::copy (runningSum.begin(), runningSum.end(), samples.begin());
        cycle::normalisePeak (samples.data(), cycleLength);
        samples[(size_t) cycleLength] = samples[0];
    }
}

void Wavetable::buildFromCycle (const float* cycle, int numSamples)
{
    if (cycle == nullptr || numSamples < cycleLength)
    {
        silence();
        return;
    }

    BandLimiter bandLimiter;
    buildFromCycle (cycle, numSamples, bandLimiter);
}

void Wavetable::buildFromCycle (const float* cycle, int numSamples, BandLimiter& bandLimiter)
{
    if (cycle == nullptr || numSamples < cycleLength)
    {
        silence();
        return;
    }

    std::array<float*, numLevels> destinations {};
    for (size_t i = 0; i < levels.size(); ++i)
        destinations[i] = levels[i].data();

    bandLimiter.process (cycle, destinations);
}

const float* Wavetable::getLevel (int level) const noexcept
{
    return levels[(size_t) std::clamp (level, 0, numLevels - 1)].data();
}

float Wavetable::read (int level, float samplePosition) const noexcept
{
    return cycle::interpolate (getLevel (level), cycle::readPointFor (samplePosition));
}

} // namespace halvo
