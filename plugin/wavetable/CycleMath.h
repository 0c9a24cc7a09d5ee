#pragma once

#include <algorithm>
#include <cmath>

namespace halvo::cycle
{

/** Samples in one cycle and the highest harmonic it can hold. */
constexpr int length = 2048;
constexpr int indexMask = length - 1;
constexpr int halfLength = length / 2;
constexpr int maxHarmonic = halfLength;

/** The phase 2 pi n / 2048 of sample n, in double precision. */
double theta (int sample) noexcept;

/** sin (2 pi i / 2048) for i = 0..2047 in double precision, exactly odd-symmetric
    (entry 2048 - i is the negation of entry i, entries 0 and 1024 are 0). */
const double* sineTable() noexcept;

/** The same table rounded to float. Harmonic k at sample n is entry (k * n) mod 2048, which is
    sin (2 pi k n / 2048) up to the rounding of the argument. */
const float* floatSineTable() noexcept;

/** Where a sample position reads from: the sample index and the distance past it. */
struct ReadPoint
{
    int index = 0;
    float fraction = 0.0f;
};

/** The index is the position truncated toward zero and limited to 2047; negative, infinite and
    NaN positions read from index 0. The fraction is not clamped. */
inline ReadPoint readPointFor (float samplePosition) noexcept
{
    ReadPoint point;

    if (std::isfinite (samplePosition) && samplePosition >= 0.0f)
        point.index = samplePosition < (float) length ? std::min ((int) samplePosition, length - 1)
                                                      : length - 1;

    point.fraction = samplePosition - (float) point.index;
    return point;
}

/** Linear interpolation in a level of 2049 samples; the guard sample makes index 2047 safe. */
inline float interpolate (const float* level, ReadPoint point) noexcept
{
    const float current = level[point.index];
    return current + (level[point.index + 1] - current) * point.fraction;
}

/** sin (2 pi k n / 2048) rounded to float, for any harmonic k >= 0 and sample n >= 0. */
inline float harmonicSine (const float* table, int harmonic, int sample) noexcept
{
    return table[(harmonic * sample) & indexMask];
}

/** Adds the harmonics firstHarmonic..lastHarmonic with amplitudes[k] to a cycle, in ascending
    order of k so that every sample sums its partials in the same float order as a plain loop
    over the partials would; partials with an amplitude of exactly 0 are skipped.

    A sum of sines is odd around sample 0, so only samples 1..1023 are computed and the second
    half is mirrored: the cycle must therefore already be odd (e.g. all zero) before the call. */
void addPartials (float* cycle, const float* amplitudes, int firstHarmonic, int lastHarmonic) noexcept;

/** Clears a cycle and adds the harmonics 1..lastHarmonic. */
void drawPartials (float* cycle, const float* amplitudes, int lastHarmonic) noexcept;

/** Scales a buffer so that its largest magnitude is 1. Buffers whose peak is not above 1e-9
    are left alone, so silence stays silence instead of amplified rounding noise. */
void normalisePeak (float* samples, int numSamples) noexcept;

} // namespace halvo::cycle
