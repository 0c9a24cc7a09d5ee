#include "wavetable/Wavetable.h"

#include "CycleAnalysis.h"

#include <gtest/gtest.h>

#include <random>

namespace
{

using namespace halvo;
using namespace halvo::test;

struct NamedCycle
{
    const char* name;
    std::vector<float> samples;
};

/** Cycles as the capture engine might hand them over: noisy, with DC, aliased, very quiet. */
std::vector<NamedCycle> capturedStyleCycles()
{
    std::mt19937 random (20240611);
    std::uniform_real_distribution<float> noise (-1.0f, 1.0f);

    return {
        { "noise with offset", cycleOf ([&] (int) { return noise (random) + 0.25f; }) },
        { "naive ramp", cycleOf ([] (int n) { return 2.0 * n / cycleLength - 1.0; }) },
        { "partials with offset", cycleOf ([] (int n) { return 0.5 + 0.8 * std::sin (3.0 * phaseOf (n) + 0.4) + 0.2 * std::cos (phaseOf (n)); }) },
        { "narrow pulse", cycleOf ([] (int n) { return n < 300 ? 1.0 : -0.2; }) },
        { "very quiet noise", cycleOf ([&] (int) { return 1.0e-6f * noise (random); }) },
    };
}

Wavetable built (const std::vector<float>& cycle)
{
    Wavetable table;
    table.buildFromCycle (cycle.data(), (int) cycle.size());
    return table;
}

void expectSilent (const Wavetable& table)
{
    for (int level = 0; level < Wavetable::numLevels; ++level)
        for (int i = 0; i < Wavetable::storedLength; ++i)
            ASSERT_EQ (table.getLevel (level)[i], 0.0f) << "level " << level << " sample " << i;
}

TEST (Wavetable, HighestHarmonicHalvesPerLevelDownToOne)
{
    const int expected[] = { 1024, 512, 256, 128, 64, 32, 16, 8, 4, 2, 1 };

    for (int level = 0; level < Wavetable::numLevels; ++level)
        EXPECT_EQ (Wavetable::highestHarmonic (level), expected[level]);
}

TEST (Wavetable, EveryLevelIsTheCycleWithItsUpperHarmonicsRemoved)
{
    const HarmonicAnalyser analyser;

    for (const auto& cycle : capturedStyleCycles())
    {
        SCOPED_TRACE (cycle.name);
        const auto table = built (cycle.samples);
        const auto input = analyser.analyseAll (cycle.samples.data());

        for (int level = 0; level < Wavetable::numLevels; ++level)
        {
            SCOPED_TRACE ("level " + std::to_string (level));
            const float* samples = table.getLevel (level);
            const int highest = Wavetable::highestHarmonic (level);

            EXPECT_EQ (samples[cycleLength], samples[0]) << "guard sample";
            EXPECT_NEAR (meanOf (samples), 0.0, 1.0e-7) << "DC";
            EXPECT_NEAR (peakOf (samples), 1.0f, 1.0e-6f);

            // The kept harmonics are the input's, all scaled by one gain; the rest are gone.
            const auto output = analyser.analyseAll (samples);
            const auto strongest = std::max_element (input.begin() + 1, input.begin() + highest + 1,
                                                     [] (auto& a, auto& b) { return a.amplitude() < b.amplitude(); });
            const auto k0 = (size_t) (strongest - input.begin());
            const double gain = output[k0].amplitude() / input[k0].amplitude();

            double worstKept = 0.0, worstRemoved = 0.0;
            for (int k = 1; k <= cycleLength / 2; ++k)
            {
                const auto& in = input[(size_t) k];
                const auto& out = output[(size_t) k];

                // Harmonic 1024 is analysed with the same 1/1024 scale as the others, which is
                // twice its true amplitude, and so comes back doubled.
                const double expectedScale = k == cycleLength / 2 ? 2.0 * gain : gain;

                if (k <= highest)
                    worstKept = std::max ({ worstKept, std::abs (out.cosine - expectedScale * in.cosine), std::abs (out.sine - expectedScale * in.sine) });
                else
                    worstRemoved = std::max (worstRemoved, out.amplitude());
            }

            EXPECT_LT (worstKept, 1.0e-6);
            EXPECT_LT (worstRemoved, 1.0e-6);
        }
    }
}

TEST (Wavetable, TopLevelIsThePureFundamental)
{
    const HarmonicAnalyser analyser;

    for (const auto& cycle : capturedStyleCycles())
    {
        SCOPED_TRACE (cycle.name);
        const auto table = built (cycle.samples);
        const auto fundamental = analyser.analyse (cycle.samples.data(), 1);
        const double scale = 1.0 / fundamental.amplitude();

        for (int n = 0; n < cycleLength; ++n)
        {
            const double expected = scale * (fundamental.cosine * std::cos (phaseOf (n)) + fundamental.sine * std::sin (phaseOf (n)));
            // A sampled sine peaks at most 1.2e-6 below its amplitude, which the peak scaling
            // turns into a gain error of the same size.
            ASSERT_NEAR (table.getLevel (10)[n], expected, 3.0e-6) << "sample " << n;
        }
    }
}

TEST (Wavetable, MissingFundamentalLeavesTopLevelSilent)
{
    // Both halves of the cycle hold the same samples, so every odd harmonic, the first
    // included, is exactly zero.
    const auto table = built (cycleOf ([] (int n)
    {
        const int m = n % (cycleLength / 2);
        return std::sin (2.0 * phaseOf (m)) + 0.3 * std::cos (10.0 * phaseOf (m));
    }));

    EXPECT_LT (peakOf (table.getLevel (10), Wavetable::storedLength), 1.0e-9f);
    EXPECT_NEAR (peakOf (table.getLevel (9)), 1.0f, 1.0e-6f);
}

TEST (Wavetable, NullOrShortCycleLeavesElevenSilentLevels)
{
    const auto cycle = cycleOf ([] (int n) { return std::sin (phaseOf (n)); });

    Wavetable neverBuilt;
    expectSilent (neverBuilt);

    Wavetable table;
    table.buildFromCycle (cycle.data(), cycleLength);
    ASSERT_NEAR (peakOf (table.getLevel (0)), 1.0f, 1.0e-6f);

    table.buildFromCycle (nullptr, cycleLength);
    expectSilent (table);

    table.buildFromCycle (cycle.data(), cycleLength);
    table.buildFromCycle (cycle.data(), cycleLength - 1);
    expectSilent (table);

    table.buildFromCycle (cycle.data(), 0);
    expectSilent (table);
}

TEST (Wavetable, SilentCycleStaysSilent)
{
    expectSilent (built (std::vector<float> ((size_t) cycleLength, 0.0f)));
}

TEST (Wavetable, ConstantOffsetIsRemovedNotAmplified)
{
    // A constant alone leaves only rounding noise, which must stay below the 1e-9 threshold
    // rather than be scaled up to full level.
    const auto constant = built (std::vector<float> ((size_t) cycleLength, 0.7f));

    for (int level = 0; level < Wavetable::numLevels; ++level)
        EXPECT_LT (peakOf (constant.getLevel (level), Wavetable::storedLength), 1.0e-9f) << "level " << level;

    const auto offsetSine = built (cycleOf ([] (int n) { return 0.9 + 0.05 * std::sin (phaseOf (n)); }));

    for (int level = 0; level < Wavetable::numLevels; ++level)
        for (int n = 0; n < cycleLength; n += 64)
            ASSERT_NEAR (offsetSine.getLevel (level)[n], std::sin (phaseOf (n)), 3.0e-6) << "level " << level;
}

TEST (Wavetable, OnlyTheFirst2048SamplesAreRead)
{
    auto longer = cycleOf ([] (int n) { return std::sin (phaseOf (n)); });
    const auto exact = built (longer);
    longer.resize ((size_t) cycleLength * 2, 5.0f);

    Wavetable fromLonger;
    fromLonger.buildFromCycle (longer.data(), (int) longer.size());

    for (int level = 0; level < Wavetable::numLevels; ++level)
        EXPECT_EQ (largestDifference (exact.getLevel (level), fromLonger.getLevel (level)), 0.0f);
}

TEST (Wavetable, BasicShapesHaveTheirIdealHarmonics)
{
    const HarmonicAnalyser analyser;

    struct ShapeCase
    {
        WaveShape shape;
        double (*amplitude) (int harmonic); // relative to the fundamental, signed as a sine term
    };

    const ShapeCase cases[] = {
        { WaveShape::Sine, [] (int k) { return k == 1 ? 1.0 : 0.0; } },
        { WaveShape::Saw, [] (int k) { return (k % 2 == 1 ? 1.0 : -1.0) / k; } },
        { WaveShape::Square, [] (int k) { return k % 2 == 1 ? 1.0 / k : 0.0; } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE ((int) c.shape);
        Wavetable table;
        table.buildFromShape (c.shape);

        for (int level = 0; level < Wavetable::numLevels; ++level)
        {
            SCOPED_TRACE ("level " + std::to_string (level));
            const float* samples = table.getLevel (level);
            const int highest = Wavetable::highestHarmonic (level);

            EXPECT_EQ (samples[cycleLength], samples[0]);
            EXPECT_NEAR (meanOf (samples), 0.0, 1.0e-7);
            EXPECT_NEAR (peakOf (samples), 1.0f, 1.0e-6f);

            const auto output = analyser.analyseAll (samples);
            const double gain = output[1].sine;
            ASSERT_GT (gain, 0.0);

            for (int k = 1; k <= cycleLength / 2; ++k)
            {
                // A sine at harmonic 1024 is zero on every sample.
                const bool observable = k < cycleLength / 2;
                const double expected = k <= highest && observable ? gain * c.amplitude (k) : 0.0;
                ASSERT_NEAR (output[(size_t) k].sine, expected, 1.0e-6) << "harmonic " << k;
                ASSERT_NEAR (output[(size_t) k].cosine, 0.0, 1.0e-6) << "harmonic " << k;
            }
        }
    }
}

TEST (Wavetable, LevelChoiceKeepsTheHighestHarmonicBelowNyquist)
{
    struct Case
    {
        double frequency;
        double sampleRate;
        int level;
    };

    const Case cases[] = {
        { 1000.0, 48000.0, 6 },       // 24000 > 16 * 1000, but not > 32 * 1000
        { 440.0, 44100.0, 5 },
        { 20.0, 48000.0, 0 },
        { 0.0, 48000.0, 0 },
        { -100.0, 48000.0, 0 },
        { 30000.0, 48000.0, 10 },     // not even the fundamental fits
        { 1.0e9, 48000.0, 10 },
        { 23.4375, 48000.0, 1 },      // 1024 * f equals Nyquist exactly: the level is not safe
        { 23.43, 48000.0, 0 },
        { 1500.0, 48000.0, 7 },       // 16 * f equals Nyquist exactly
        { 1499.9, 48000.0, 6 },
        { 24000.0, 48000.0, 10 },     // fundamental at Nyquist: no level qualifies
        { 23999.0, 48000.0, 10 },
        { 11999.0, 48000.0, 9 },
        { 12000.0, 48000.0, 10 },
        { 1000.0, 96000.0, 5 },
    };

    for (const auto& c : cases)
        EXPECT_EQ (Wavetable::levelForFrequency (c.frequency, c.sampleRate), c.level)
            << c.frequency << " Hz at " << c.sampleRate << " Hz";
}

TEST (Wavetable, ReadInterpolatesAndUsesTheGuardSample)
{
    const auto table = built (cycleOf ([] (int n) { return std::sin (phaseOf (n)) + 0.5 * std::sin (7.0 * phaseOf (n)); }));
    const float* y = table.getLevel (2);

    struct Case
    {
        float position;
        int index;
    };

    const Case cases[] = {
        { 0.0f, 0 }, { 10.25f, 10 }, { 1023.5f, 1023 }, { 2047.0f, 2047 }, { 2047.75f, 2047 },
        { -0.5f, 0 }, { 2048.0f, 2047 }, { 2050.5f, 2047 },
    };

    for (const auto& c : cases)
    {
        const float fraction = c.position - (float) c.index;
        EXPECT_EQ (table.read (2, c.position), y[c.index] + (y[c.index + 1] - y[c.index]) * fraction) << c.position;
    }

    EXPECT_EQ (table.read (2, 2047.5f), y[2047] + (y[0] - y[2047]) * 0.5f);
    EXPECT_EQ (table.read (-4, 100.0f), table.getLevel (0)[100]);
    EXPECT_EQ (table.read (42, 100.0f), table.getLevel (10)[100]);
    EXPECT_EQ (table.getLevel (-1), table.getLevel (0));
    EXPECT_EQ (table.getLevel (11), table.getLevel (10));
}

} // namespace
