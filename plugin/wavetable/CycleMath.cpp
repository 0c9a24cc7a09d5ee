#include "wavetable/CycleMath.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace halvo::cycle
{

namespace
{
    constexpr double twoPi = 6.283185307179586476925286766559;

    struct SineTables
    {
        SineTables()
        {
            // The second half mirrors the first so that the tables are exactly odd; additive
            // cycles rely on it to compute one half only.
            for (int i = 0; i <= halfLength; ++i)
                precise[(size_t) i] = std::sin (theta (i));

            precise[0] = 0.0;
            precise[(size_t) halfLength] = 0.0;

            for (int i = 1; i < halfLength; ++i)
                precise[(size_t) (length - i)] = -precise[(size_t) i];

            for (int i = 0; i < length; ++i)
                rounded[(size_t) i] = (float) precise[(size_t) i];
        }

        std::array<double, length> precise {};
        std::array<float, length> rounded {};
    };

    const SineTables& sineTables() noexcept
    {
        static const SineTables tables;
        return tables;
    }
} // namespace

double theta (int sample) noexcept
{
    return twoPi * (double) sample / (double) length;
}

const double* sineTable() noexcept
{
    return sineTables().precise.data();
}

const float* floatSineTable() noexcept
{
    return sineTables().rounded.data();
}

void addPartials (float* cycle, const float* amplitudes, int firstHarmonic, int lastHarmonic) noexcept
{
    const float* sine = floatSineTable();

    // A block of samples stays in the first-level cache while all partials are added to it;
    // inside a block every sample still receives its partials in ascending order. Sample 0
    // takes part only to keep the blocks whole: every sine is 0 there.
    constexpr int blockSize = 128;
    static_assert (halfLength % blockSize == 0);

    for (int start = 0; start < halfLength; start += blockSize)
    {
        float block[blockSize];
        std::copy (cycle + start, cycle + start + blockSize, block);

        for (int k = firstHarmonic; k <= lastHarmonic; ++k)
        {
            const float amplitude = amplitudes[k];
            if (amplitude == 0.0f)
                continue;

            // The table index k * n advances by k per sample and wraps with the mask.
            auto index = (unsigned int) (k * start);

            for (int j = 0; j < blockSize; ++j)
            {
                block[j] += amplitude * sine[index & (unsigned int) indexMask];
                index += (unsigned int) k;
            }
        }

        std::copy (block, block + blockSize, cycle + start);
    }

    for (int n = 1; n < halfLength; ++n)
        cycle[length - n] = -cycle[n];
}

void drawPartials (float* cycle, const float* amplitudes, int lastHarmonic) noexcept
{
    std::fill (cycle, cycle + length, 0.0f);
    addPartials (cycle, amplitudes, 1, lastHarmonic);
}

void normalisePeak (float* samples, int numSamples) noexcept
{
    float peak = 0.0f;
    for (int i = 0; i < numSamples; ++i)
        peak = std::max (peak, std::abs (samples[i]));

    if (! (peak > 1.0e-9))
        return;

    const float gain = 1.0f / peak;
    for (int i = 0; i < numSamples; ++i)
        samples[i] *= gain;
}

} // namespace halvo::cycle
