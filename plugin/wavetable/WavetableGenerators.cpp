#include "wavetable/WavetableGenerators.h"

#include "wavetable/CycleMath.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

namespace halvo::generators
{

namespace
{
    using cycle::harmonicSine;

    float sawAmplitude (int harmonic) noexcept
    {
        return ((harmonic % 2) == 1 ? 1.0f : -1.0f) / (float) harmonic;
    }

    /** Draws harmonics 1..highest with the amplitudes given by amplitudeOf (k). */
    template <typename AmplitudeOf>
    void drawAdditive (float* out, int highest, AmplitudeOf&& amplitudeOf) noexcept
    {
        std::array<float, cycle::maxHarmonic + 1> amplitudes {};

        for (int k = 1; k <= highest; ++k)
            amplitudes[(size_t) k] = amplitudeOf (k);

        cycle::drawPartials (out, amplitudes.data(), highest);
    }

    /** Fills the cycle sample by sample with sampleAt (n). */
    template <typename SampleAt>
    void drawSamples (float* out, SampleAt&& sampleAt) noexcept
    {
        for (int n = 0; n < cycle::length; ++n)
            out[n] = sampleAt (n);
    }

    void normalise (float* out) noexcept
    {
        cycle::normalisePeak (out, cycle::length);
    }

    /** A triangle fold: the identity on [-1, 1], reflecting back into that range beyond it. */
    float fold (float u) noexcept
    {
        const float q = (u + 1.0f) * 0.25f;
        return 4.0f * std::abs (q - std::floor (q + 0.5f)) - 1.0f;
    }
} // namespace

void genSaw (int, float, float* out) noexcept
{
    drawAdditive (out, cycle::maxHarmonic, sawAmplitude);
    normalise (out);
}

void genSquare (int, float, float* out) noexcept
{
    drawAdditive (out, cycle::maxHarmonic - 1, [] (int k) { return (k % 2) == 1 ? 1.0f / (float) k : 0.0f; });
    normalise (out);
}

void genSine (int, float, float* out) noexcept
{
    const float* sine = cycle::floatSineTable();
    drawSamples (out, [sine] (int n) { return harmonicSine (sine, 1, n); });
}

void genTriangle (int, float, float* out) noexcept
{
    drawAdditive (out, cycle::maxHarmonic - 1, [] (int k)
    {
        if ((k % 2) == 0)
            return 0.0f;

        const float sign = ((k - 1) / 2) % 2 == 0 ? 1.0f : -1.0f;
        return sign / ((float) k * (float) k);
    });
    normalise (out);
}

void genHarmonicSweep (int, float x, float* out) noexcept
{
    // The weight fades the partials in one after another: harmonic 1 alone at x = 0, all 1024
    // at x = 1, with the newest one partly faded in between.
    const float lastFull = 1023.0f * x + 1.0f;

    drawAdditive (out, cycle::maxHarmonic, [lastFull] (int k)
    {
        const float e = (float) k - lastFull;
        const float weight = e <= 0.0f ? 1.0f : (e < 1.0f ? 1.0f - e : 0.0f);
        return sawAmplitude (k) * weight;
    });
    normalise (out);
}

void genOddEven (int, float x, float* out) noexcept
{
    drawAdditive (out, cycle::maxHarmonic, [x] (int k)
    {
        return (k % 2) == 1 ? 1.0f / (float) k : -x / (float) k;
    });
    normalise (out);
}

void genFormant (int, float x, float* out) noexcept
{
    const float peakHarmonic = 37.0f * x + 3.0f;

    drawAdditive (out, 64, [peakHarmonic] (int k)
    {
        const float b = ((float) k - peakHarmonic) / 6.0f;
        return (std::exp (-0.5f * b * b) + 0.25f) / (float) k;
    });
    normalise (out);
}

void genFoldedSine (int, float x, float* out) noexcept
{
    const float* sine = cycle::floatSineTable();
    const float gain = 6.0f * x + 1.0f;

    drawSamples (out, [sine, gain] (int n) { return std::sin (harmonicSine (sine, 1, n) * gain * 1.5707963f); });
    normalise (out);
}

void genReese (int, float x, float* out) noexcept
{
    const float spread = 6.5f * x + 0.5f;

    drawAdditive (out, cycle::maxHarmonic, [spread] (int k)
    {
        return std::abs (std::cos ((float) k * spread * 0.15f)) / (float) k;
    });
    normalise (out);
}

void genGrowl (int, float x, float* out) noexcept
{
    const float* sine = cycle::floatSineTable();
    const float depth = 5.0f * x;

    drawSamples (out, [sine, depth] (int n)
    {
        const float modulation = harmonicSine (sine, 2, n) * depth;
        return (float) std::sin (cycle::theta (n) + (double) modulation);
    });
    normalise (out);
}

void genDirtyDubstep (int, float x, float* out) noexcept
{
    drawAdditive (out, 96, [] (int k) { return ((k % 2) == 1 ? 1.0f : 0.35f) / (float) k; });
    normalise (out);

    // A cubic soft clip; at the clamp limit of 1.5 its slope reaches 0, so the drive only ever
    // flattens the peaks.
    const float drive = 5.0f * x + 1.5f;

    for (int n = 0; n < cycle::length; ++n)
    {
        const float y = std::clamp (out[n] * drive, -1.5f, 1.5f);
        out[n] = y - y * y * y / 6.75f;
    }

    normalise (out);
}

void genSubRound (int, float x, float* out) noexcept
{
    const std::array<float, 4> amplitudes { 0.0f, 1.0f, 0.12f * x + 0.05f, 0.06f * x + 0.02f };

    drawAdditive (out, 3, [&amplitudes] (int k) { return amplitudes[(size_t) k]; });
    normalise (out);
}

void genFmMetal (int, float x, float* out) noexcept
{
    const float ratio = 2.5f * x + 1.0f;
    const float depth = 24.0f * x;

    drawSamples (out, [ratio, depth] (int n)
    {
        const double theta = cycle::theta (n);
        return (float) std::sin (theta + (double) depth * std::sin ((double) ratio * theta));
    });
    normalise (out);
}

void genVowelTalker (int, float x, float* out) noexcept
{
    // Formants F1, F2, F3 in Hz of the five vowels the position glides through.
    static constexpr float vowels[5][3] = { { 700.0f, 1150.0f, 2600.0f },
                                            { 500.0f, 1700.0f, 2400.0f },
                                            { 300.0f, 2300.0f, 3000.0f },
                                            { 450.0f, 800.0f, 2830.0f },
                                            { 325.0f, 700.0f, 2530.0f } };

    const float a = 4.0f * x;
    const int vowel = std::min ((int) a, 3);
    const float t = a - (float) vowel;

    std::array<float, 3> formants {};
    for (size_t f = 0; f < formants.size(); ++f)
        formants[f] = vowels[vowel][f] + (vowels[vowel + 1][f] - vowels[vowel][f]) * t;

    // The modelled fundamental falls two octaves over the table, from 330 Hz, so the formants
    // move relative to the harmonics.
    const float fundamentalScale = std::exp2 (-2.0f * x);

    drawAdditive (out, 128, [&formants, fundamentalScale] (int k)
    {
        const float frequency = fundamentalScale * 330.0f * (float) k;
        float gain = 0.0f;

        for (const float formant : formants)
        {
            const float z = std::log2 (frequency / formant) / 0.16f;
            gain = std::max (gain, std::exp (-0.5f * z * z));
        }

        return gain / std::sqrt ((float) k);
    });
    normalise (out);
}

void genFoldScreamer (int, float x, float* out) noexcept
{
    const float* sine = cycle::floatSineTable();
    const float gain = 7.0f * x + 1.0f;

    drawSamples (out, [sine, gain] (int n)
    {
        float v = harmonicSine (sine, 1, n);

        for (int stage = 0; stage < 3; ++stage)
            v = fold (v * gain);

        return v;
    });
    normalise (out);
}

void genSyncSaw (int, float x, float* out) noexcept
{
    // A naive ramp restarted r times per cycle, as a slave oscillator hard-synced to the cycle.
    const float ratio = 3.0f * x + 1.0f;

    drawSamples (out, [ratio] (int n)
    {
        const float z = ((float) n / (float) cycle::length) * ratio;
        return 2.0f * (z - std::floor (z)) - 1.0f;
    });
    normalise (out);
}

void genMetalClang (int, float x, float* out) noexcept
{
    // Partial ratios of a struck metal bar, and their square roots (rounded to float).
    static constexpr std::array<float, 10> ratios { 1.0f, 2.76f, 5.4f, 8.93f, 13.34f,
                                                    18.6f, 24.8f, 31.9f, 40.1f, 49.4f };
    static constexpr std::array<float, 10> ratioRoots { 1.0f, 1.6613247f, 2.32379f, 2.9883106f, 3.6523964f,
                                                        4.312772f, 4.97996f, 5.6480083f, 6.332456f, 7.0285134f };

    std::fill (out, out + cycle::length, 0.0f);

    for (size_t j = 0; j < ratios.size(); ++j)
    {
        const float distance = ((float) j / 9.0f - x) / 0.3f;
        const float weight = std::exp (-0.5f * distance * distance) / ratioRoots[j];
        const double ratio = (double) ratios[j];

        for (int n = 0; n < cycle::length; ++n)
            out[n] += weight * (float) std::sin (ratio * cycle::theta (n));
    }

    normalise (out);
}

void genReeseWide (int, float x, float* out) noexcept
{
    const float centre = 1023.0f * x + 1.0f;
    const float width = 200.0f * x + 6.0f;

    drawAdditive (out, cycle::maxHarmonic, [x, centre, width] (int k)
    {
        const float harmonic = (float) k;
        const float e = (harmonic - centre) / width;
        const float beating = std::abs (std::cos (3.0f * x * harmonic * 0.7f) * std::cos (3.0f * x * harmonic * 0.31f));
        return beating * std::exp (-0.5f * e * e) / std::sqrt (harmonic);
    });
    normalise (out);
}

void genBitDirt (int, float x, float* out) noexcept
{
    // A low-passed saw whose harmonic count and slope follow the position...
    const int highest = (int) (61.0f * x) + 1;
    const float tilt = 1.0f - 0.5f * x;
    const float corner = 24.0f * x + 1.0f;

    drawAdditive (out, highest, [tilt, corner] (int k)
    {
        const float harmonic = (float) k;
        const float sign = (k % 2) == 1 ? 1.0f : -1.0f;
        return sign * harmonic / (std::pow (harmonic, tilt) * std::sqrt (harmonic * harmonic + corner * corner));
    });
    normalise (out);

    // ...then crushed: fewer amplitude steps and longer sample-and-hold as the position rises.
    const int numSteps = (int) (96.0f - 94.0f * x + 0.5f);
    const float step = numSteps >= 3 ? 2.0f / (float) (numSteps - 1) : 2.0f;
    const int holdLength = (int) (48.0f * x) + 1;

    float held = out[0];

    for (int n = 0; n < cycle::length; ++n)
    {
        if (n % holdLength == 0)
            held = out[n];

        out[n] = std::clamp (std::floor ((held + 1.0f) / step + 0.5f) * step - 1.0f, -1.0f, 1.0f);
    }

    normalise (out);
}

void genSubPunch (int, float x, float* out) noexcept
{
    const float* sine = cycle::floatSineTable();
    const float drive = 1.5f * x + 1.0f;

    drawSamples (out, [sine, x, drive] (int n)
    {
        const float shape = harmonicSine (sine, 1, n) + 0.3f * x * harmonicSine (sine, 2, n)
                            + 0.18f * x * harmonicSine (sine, 3, n);
        return std::tanh (shape * drive);
    });
    normalise (out);
}

} // namespace halvo::generators
