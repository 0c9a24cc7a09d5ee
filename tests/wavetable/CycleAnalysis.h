#pragma once

#include "wavetable/Wavetable.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <vector>

namespace halvo::test
{

constexpr int cycleLength = Wavetable::cycleLength;

/** The phase 2 pi n / 2048 of sample n. */
inline double phaseOf (int sample)
{
    return 2.0 * std::numbers::pi * (double) sample / (double) cycleLength;
}

/** Cosine and sine amplitude of one harmonic. */
struct Harmonic
{
    double cosine = 0.0;
    double sine = 0.0;

    double amplitude() const { return std::hypot (cosine, sine); }
};

/** A plain discrete Fourier analysis, kept independent of the code under test: it has its own
    tables and sums in double. */
class HarmonicAnalyser
{
public:
    HarmonicAnalyser()
    {
        for (int i = 0; i < cycleLength; ++i)
        {
            cosine[(size_t) i] = std::cos (phaseOf (i));
            sine[(size_t) i] = std::sin (phaseOf (i));
        }
    }

    /** a_k = (2 / N) sum x_n cos (k phase_n), b_k likewise with sin; for k = N/2 the cosine
        amplitude is halved so that a cycle (-1)^n reads 1. */
    Harmonic analyse (const float* cycle, int harmonic) const
    {
        Harmonic result;

        for (int n = 0; n < cycleLength; ++n)
        {
            const auto index = (size_t) ((harmonic * n) % cycleLength);
            result.cosine += (double) cycle[n] * cosine[index];
            result.sine += (double) cycle[n] * sine[index];
        }

        const double scale = harmonic == cycleLength / 2 ? 1.0 / cycleLength : 2.0 / cycleLength;
        result.cosine *= scale;
        result.sine *= scale;
        return result;
    }

    std::vector<Harmonic> analyseAll (const float* cycle) const
    {
        std::vector<Harmonic> harmonics ((size_t) cycleLength / 2 + 1);
        for (int k = 1; k <= cycleLength / 2; ++k)
            harmonics[(size_t) k] = analyse (cycle, k);
        return harmonics;
    }

private:
    std::array<double, cycleLength> cosine {};
    std::array<double, cycleLength> sine {};
};

inline float peakOf (const float* samples, int numSamples = cycleLength)
{
    float peak = 0.0f;
    for (int i = 0; i < numSamples; ++i)
        peak = std::max (peak, std::abs (samples[i]));
    return peak;
}

inline double meanOf (const float* samples, int numSamples = cycleLength)
{
    double sum = 0.0;
    for (int i = 0; i < numSamples; ++i)
        sum += samples[i];
    return sum / numSamples;
}

inline float largestDifference (const float* a, const float* b, int numSamples = Wavetable::storedLength)
{
    float largest = 0.0f;
    for (int i = 0; i < numSamples; ++i)
        largest = std::max (largest, std::abs (a[i] - b[i]));
    return largest;
}

/** A cycle whose sample n is sampleAt (n). */
template <typename Function>
std::vector<float> cycleOf (Function&& sampleAt)
{
    std::vector<float> cycle ((size_t) cycleLength);
    for (int n = 0; n < cycleLength; ++n)
        cycle[(size_t) n] = (float) sampleAt (n);
    return cycle;
}

} // namespace halvo::test
