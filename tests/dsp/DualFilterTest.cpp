#include "dsp/DualFilter.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <complex>
#include <limits>
#include <vector>

namespace
{

using namespace halvo;

SingleFilterParams filterSettings (FilterMode mode, float cutoff, float resonance, int slope = 0)
{
    SingleFilterParams params;
    params.enabled = true;
    params.mode = (int32_t) mode;
    params.slope = slope;
    params.cutoff = cutoff;
    params.resonance = resonance;
    params.drive = 0.0f;
    params.mix = 1.0f;
    params.keyTrack = 0.0f;
    return params;
}

/** A filter loaded with the settings and started exactly at its targets, as at a note start. */
DualFilter startedFilter (const SingleFilterParams& params, double sampleRate,
                          float keyFrequency = DualFilter::keyTrackReference)
{
    DualFilter filter;
    filter.prepare (sampleRate);
    filter.load (params);
    filter.pushCutoff (keyFrequency);
    filter.startFromTargets();
    return filter;
}

std::vector<float> noiseBlock (int length, int seed, float level = 1.0f)
{
    juce::Random random (seed);
    std::vector<float> block ((size_t) length);
    for (auto& sample : block)
        sample = level * (random.nextFloat() * 2.0f - 1.0f);
    return block;
}

std::vector<float> sineBlock (int length, double frequency, double sampleRate, float level)
{
    std::vector<float> block ((size_t) length);
    const double omega = juce::MathConstants<double>::twoPi * frequency / sampleRate;
    for (size_t n = 0; n < block.size(); ++n)
        block[n] = level * (float) std::sin (omega * (double) n);
    return block;
}

std::vector<float> run (DualFilter& filter, const std::vector<float>& input)
{
    std::vector<float> output (input.size());
    for (size_t n = 0; n < input.size(); ++n)
        output[n] = filter.processSample (input[n]);
    return output;
}

double rms (const std::vector<float>& block, size_t from)
{
    double sum = 0.0;
    for (size_t n = from; n < block.size(); ++n)
        sum += (double) block[n] * (double) block[n];
    return std::sqrt (sum / (double) (block.size() - from));
}

//==============================================================================
TEST (DualFilter, PushCutoffTargets)
{
    constexpr float c3 = 130.81f;
    constexpr float c4 = 261.63f;

    struct Case
    {
        const char* name;
        double sampleRate;
        int slope;
        float cutoff, keyTrack, keyFrequency, resonance;
        float expectedCutoff, expectedFirstResonance, expectedSecondResonance;
    };

    const Case cases[] = {
        { "cutoff used as is", 44100.0, 0, 12000.0f, 0.0f, 440.0f, 0.2f, 12000.0f, 0.2f, -1.0f },
        { "cutoff held at 0.45 sr", 44100.0, 0, 22000.0f, 0.0f, 440.0f, 0.2f, 19845.0f, 0.2f, -1.0f },
        { "cutoff held at 0.45 sr, 48k", 48000.0, 0, 30000.0f, 0.0f, 440.0f, 0.2f, 21600.0f, 0.2f, -1.0f },
        { "cutoff raised to 20 Hz", 44100.0, 0, 5.0f, 0.0f, 440.0f, 0.2f, 20.0f, 0.2f, -1.0f },
        { "key tracking at C3 changes nothing", 44100.0, 0, 1000.0f, 1.0f, c3, 0.2f, 1000.0f, 0.2f, -1.0f },
        { "key tracking 1 at C4 doubles", 44100.0, 0, 1000.0f, 1.0f, c4, 0.2f, 1000.0f * c4 / c3, 0.2f, -1.0f },
        { "key tracking 0 at C4 ignores the note", 44100.0, 0, 1000.0f, 0.0f, c4, 0.2f, 1000.0f, 0.2f, -1.0f },
        { "key tracking 0.5 at C4", 44100.0, 0, 1000.0f, 0.5f, c4, 0.2f, 1000.0f * (1.0f + 0.5f * (c4 / c3 - 1.0f)), 0.2f, -1.0f },
        { "key tracking 1 at A4", 44100.0, 0, 1000.0f, 1.0f, 440.0f, 0.2f, 1000.0f * 440.0f / c3, 0.2f, -1.0f },
        { "key tracking past the top", 44100.0, 0, 15000.0f, 1.0f, c4, 0.2f, 19845.0f, 0.2f, -1.0f },
        { "key tracking below the bottom", 44100.0, 0, 30.0f, 1.0f, 8.18f, 0.2f, 20.0f, 0.2f, -1.0f },
        { "resonance 1 held at 0.99", 44100.0, 0, 1000.0f, 0.0f, 440.0f, 1.0f, 1000.0f, 0.99f, -1.0f },
        { "negative resonance", 44100.0, 0, 1000.0f, 0.0f, 440.0f, -0.5f, 1000.0f, 0.0f, -1.0f },
        { "24 dB halves the first stage", 44100.0, 1, 1000.0f, 0.0f, 440.0f, 0.6f, 1000.0f, 0.3f, 0.6f },
        { "24 dB at resonance 1", 44100.0, 1, 1000.0f, 0.0f, 440.0f, 1.0f, 1000.0f, 0.5f, 0.99f },
        { "24 dB beyond the range", 44100.0, 1, 1000.0f, 0.0f, 440.0f, 3.0f, 1000.0f, 0.99f, 0.99f },
        { "24 dB cutoff limits both stages", 44100.0, 1, 22000.0f, 0.0f, 440.0f, 0.2f, 19845.0f, 0.1f, 0.2f },
    };

    for (const auto& c : cases)
    {
        auto params = filterSettings (FilterMode::Low, c.cutoff, c.resonance, c.slope);
        params.keyTrack = c.keyTrack;

        DualFilter filter;
        filter.prepare (c.sampleRate);
        filter.load (params);
        DualFilter::pushCutoff (filter.stages, filter.stageCount, params, c.keyFrequency);

        ASSERT_EQ (filter.stageCount, c.slope == 1 ? 2 : 1) << c.name;
        EXPECT_NEAR (filter.stages[0].getCutoffTarget(), c.expectedCutoff, 1.0e-5f * c.expectedCutoff) << c.name;
        EXPECT_FLOAT_EQ (filter.stages[0].getResonanceTarget(), c.expectedFirstResonance) << c.name;

        if (filter.stageCount == 2)
        {
            EXPECT_EQ (filter.stages[1].getCutoffTarget(), filter.stages[0].getCutoffTarget()) << c.name;
            EXPECT_FLOAT_EQ (filter.stages[1].getResonanceTarget(), c.expectedSecondResonance) << c.name;
        }
    }

    // C4 is an octave above the reference, so full key tracking doubles the cutoff.
    EXPECT_NEAR (1000.0f * c4 / c3, 2000.0f, 0.1f);
}

TEST (DualFilter, PushCutoffWithoutStagesChangesNothing)
{
    DualFilter filter;
    filter.prepare (44100.0);
    const float cutoffBefore = filter.stages[0].getCutoffTarget();
    const float resonanceBefore = filter.stages[0].getResonanceTarget();

    const auto params = filterSettings (FilterMode::Low, 5000.0f, 0.7f, 1);
    for (const int stageCount : { 0, -1 })
    {
        DualFilter::pushCutoff (filter.stages, stageCount, params, 440.0f);

        for (const auto& stage : filter.stages)
        {
            EXPECT_EQ (stage.getCutoffTarget(), cutoffBefore);
            EXPECT_EQ (stage.getResonanceTarget(), resonanceBefore);
        }
    }
}

TEST (DualFilter, ResonanceOneSoundsLikePointNineNine)
{
    const auto input = noiseBlock (4096, 5);

    auto atOne = startedFilter (filterSettings (FilterMode::Band, 1500.0f, 1.0f), 44100.0);
    auto atLimit = startedFilter (filterSettings (FilterMode::Band, 1500.0f, 0.99f), 44100.0);
    auto below = startedFilter (filterSettings (FilterMode::Band, 1500.0f, 0.98f), 44100.0);

    // Resonance 1 must not reach k = 0 (an undamped oscillator that never decays).
    const auto outputAtOne = run (atOne, input);
    EXPECT_EQ (outputAtOne, run (atLimit, input));
    EXPECT_NE (outputAtOne, run (below, input));

    // In "24 dB" the first stage runs at half the resonance and only the second one is limited.
    auto chain = startedFilter (filterSettings (FilterMode::Band, 1500.0f, 1.0f, 1), 44100.0);
    std::array<StateVariableFilter, 2> stages;
    const float stageResonances[] = { 0.5f, 0.99f };
    for (size_t i = 0; i < stages.size(); ++i)
    {
        stages[i].prepare (44100.0);
        stages[i].setMode (FilterMode::Band);
        stages[i].setCutoffTarget (1500.0f);
        stages[i].setResonanceTarget (stageResonances[i]);
        stages[i].startFromTargets();
    }

    for (const float x : input)
        ASSERT_EQ (chain.processSample (x), stages[1].processSample (stages[0].processSample (x)));
}

TEST (DualFilter, TwentyFourDecibelsIsTwoStagesWithHalfResonanceFirst)
{
    constexpr double sampleRate = 48000.0;
    constexpr float cutoff = 2000.0f;
    constexpr float resonance = 0.8f;

    for (const auto mode : { FilterMode::Low, FilterMode::High, FilterMode::Band })
    {
        for (const double frequency : { 200.0, 2000.0, 3000.0, 9000.0 })
        {
            auto filter = startedFilter (filterSettings (mode, cutoff, resonance, 1), sampleRate);
            const auto output = run (filter, sineBlock (96000, frequency, sampleRate, 0.5f));

            // Measure over the second half (whole periods of integer frequencies), after settling.
            std::complex<double> sum;
            const double omega = juce::MathConstants<double>::twoPi * frequency / sampleRate;
            for (size_t n = 48000; n < output.size(); ++n)
                sum += (double) output[n] * std::polar (1.0, -omega * (double) n);
            const double measured = 2.0 * std::abs (sum) / 48000.0 / 0.5;

            const double expected = StateVariableFilter::magnitudeResponse (mode, cutoff, resonance * 0.5f, (float) frequency, sampleRate)
                                  * StateVariableFilter::magnitudeResponse (mode, cutoff, resonance, (float) frequency, sampleRate);
            EXPECT_NEAR (measured, expected, 1.0e-4 + 1.0e-4 * expected) << (int) mode << " at " << frequency;
        }
    }
}

TEST (DualFilter, BypassLeavesTheInputBitIdentical)
{
    struct Case
    {
        const char* name;
        bool enabled;
        float mix;
        bool bypassed;
    };

    const Case cases[] = {
        { "mix 0", true, 0.0f, true },
        { "mix below 1e-4", true, 5.0e-5f, true },
        { "mix at 1e-4", true, 1.0e-4f, true },
        { "negative mix", true, -0.5f, true },
        { "disabled", false, 1.0f, true },
        { "disabled, mix 0", false, 0.0f, true },
        { "mix just above 1e-4", true, 2.0e-4f, false },
    };

    const auto input = noiseBlock (2048, 21, 0.8f);

    for (const auto& c : cases)
    {
        // Strong drive and resonance, so any processing at all would show.
        auto params = filterSettings (FilterMode::Low, 300.0f, 0.95f, 1);
        params.drive = 1.0f;
        params.enabled = c.enabled;
        params.mix = c.mix;

        auto filter = startedFilter (params, 44100.0);
        EXPECT_EQ (filter.isBypassed(), c.bypassed) << c.name;

        const auto output = run (filter, input);
        if (c.bypassed)
            EXPECT_EQ (output, input) << c.name;
        else
            EXPECT_NE (output, input) << c.name;
    }
}

TEST (DualFilter, MixBlendsTheWetSignalWithTheUndrivenInput)
{
    const auto input = noiseBlock (2048, 9, 0.7f);

    for (const float mix : { 0.25f, 0.5f, 0.9f })
    {
        auto params = filterSettings (FilterMode::High, 800.0f, 0.5f);
        params.drive = 0.8f;

        auto wetOnly = startedFilter (params, 44100.0);
        params.mix = mix;
        auto mixed = startedFilter (params, 44100.0);

        for (const float x : input)
        {
            const float wet = wetOnly.processSample (x);
            ASSERT_NEAR (mixed.processSample (x), (1.0f - mix) * x + mix * wet, 1.0e-6f) << "mix " << mix;
        }
    }
}

TEST (DualFilter, DriveRaisesQuietSignalsBySmallSignalGain)
{
    // For a small input, tanh (G m) is G m, so the drive multiplies the level by
    // d G + (1 - d) G / tanh (G) with G = 3 d + 1. The filter is linear and identical in both runs.
    constexpr double sampleRate = 44100.0;
    const auto input = sineBlock (8820, 441.0, sampleRate, 0.001f);

    auto clean = startedFilter (filterSettings (FilterMode::Low, 5000.0f, 0.2f), sampleRate);
    const double cleanLevel = rms (run (clean, input), 4410);

    for (const float drive : { 0.1f, 0.25f, 0.5f, 1.0f })
    {
        auto params = filterSettings (FilterMode::Low, 5000.0f, 0.2f);
        params.drive = drive;
        auto driven = startedFilter (params, sampleRate);

        const double gain = 3.0 * drive + 1.0;
        const double expectedRatio = drive * gain + (1.0 - drive) * gain / std::tanh (gain);
        EXPECT_NEAR (rms (run (driven, input), 4410) / cleanLevel, expectedRatio, 1.0e-3 * expectedRatio) << "drive " << drive;
    }

    // A drive of 1e-4 or less is off: the output is that of the clean filter.
    auto params = filterSettings (FilterMode::Low, 5000.0f, 0.2f);
    params.drive = 1.0e-4f;
    auto barelyDriven = startedFilter (params, sampleRate);
    auto cleanAgain = startedFilter (filterSettings (FilterMode::Low, 5000.0f, 0.2f), sampleRate);
    EXPECT_EQ (run (barelyDriven, input), run (cleanAgain, input));
}

TEST (DualFilter, DriveSaturatesLoudInputsWithinTwo)
{
    // A huge constant input saturates tanh to 1, so the driven level settles at
    // d + (1 - d) / tanh (3 d + 1); the low-pass passes the constant unchanged.
    for (const float drive : { 0.001f, 0.3f, 0.7f, 1.0f })
    {
        for (const float level : { 1000.0f, -1000.0f })
        {
            auto params = filterSettings (FilterMode::Low, 1000.0f, 0.0f);
            params.drive = drive;
            auto filter = startedFilter (params, 44100.0);

            float last = 0.0f;
            for (int n = 0; n < 44100; ++n)
            {
                last = filter.processSample (level);
                ASSERT_LE (std::abs (last), 2.0f);
            }

            const float ceiling = drive + (1.0f - drive) / std::tanh (3.0f * drive + 1.0f);
            EXPECT_NEAR (last, std::copysign (ceiling, level), 1.0e-4f) << "drive " << drive;
        }
    }
}

TEST (DualFilter, StartFromTargetsClearsEveryStage)
{
    const auto params = filterSettings (FilterMode::Band, 700.0f, 0.9f, 1);
    const auto input = noiseBlock (2048, 17);

    auto used = startedFilter (params, 44100.0);
    run (used, input);
    used.startFromTargets();

    auto fresh = startedFilter (params, 44100.0);
    EXPECT_EQ (run (used, input), run (fresh, input));
}

//==============================================================================
TEST (FilterSection, RoutingWithAndWithoutFilterTwo)
{
    constexpr double sampleRate = 44100.0;
    const auto input = noiseBlock (4096, 33);

    auto first = filterSettings (FilterMode::Low, 900.0f, 0.6f);
    first.drive = 0.4f;
    auto second = filterSettings (FilterMode::High, 2500.0f, 0.3f, 1);
    second.mix = 0.8f;

    struct Case
    {
        const char* name;
        int routing;
        bool secondEnabled;
        float secondMix;
    };

    const Case cases[] = {
        { "series", 0, true, 0.8f },
        { "parallel", 1, true, 0.8f },
        { "series, filter 2 off", 0, false, 0.8f },
        { "parallel, filter 2 off", 1, false, 0.8f },
        { "series, filter 2 mix 0", 0, true, 0.0f },
        { "parallel, filter 2 mix 0", 1, true, 0.0f },
    };

    for (const auto& c : cases)
    {
        auto secondSettings = second;
        secondSettings.enabled = c.secondEnabled;
        secondSettings.mix = c.secondMix;
        const bool secondActive = c.secondEnabled && c.secondMix > 1.0e-4f;

        FilterSection section;
        section.prepare (sampleRate);
        section.update (first, secondSettings, c.routing, 440.0f);
        section.startNote();

        auto reference1 = startedFilter (first, sampleRate, 440.0f);
        auto reference2 = startedFilter (secondSettings, sampleRate, 440.0f);

        for (const float m : input)
        {
            const float y1 = reference1.processSample (m);
            float expected;

            if (c.routing == 0)
                expected = secondActive ? reference2.processSample (y1) : y1;
            else
                expected = (y1 + (secondActive ? reference2.processSample (m) : m)) / 2.0f;

            ASSERT_EQ (section.processSample (m), expected) << c.name;
        }
    }
}

TEST (FilterSection, UpdateGlidesAndStartNoteJumps)
{
    constexpr double sampleRate = 48000.0;
    const int rampSteps = (int) std::floor (0.02 * sampleRate);

    FilterSection section;
    section.prepare (sampleRate);
    section.update (filterSettings (FilterMode::Low, 500.0f, 0.2f), filterSettings (FilterMode::Low, 500.0f, 0.2f), 0, 440.0f);
    section.startNote();
    EXPECT_EQ (section.getFilter1().stages[0].getCurrentCutoff(), 500.0f);

    // A block-rate change glides over 20 ms rather than jumping.
    section.update (filterSettings (FilterMode::Low, 4500.0f, 0.2f), filterSettings (FilterMode::Low, 500.0f, 0.2f), 0, 440.0f);
    section.processSample (0.0f);
    EXPECT_NEAR (section.getFilter1().stages[0].getCurrentCutoff(), 500.0f + 4000.0f / (float) rampSteps, 1.0e-2f);

    for (int n = 1; n < rampSteps - 1; ++n)
        section.processSample (0.0f);
    EXPECT_LT (section.getFilter1().stages[0].getCurrentCutoff(), 4500.0f);
    section.processSample (0.0f);
    EXPECT_EQ (section.getFilter1().stages[0].getCurrentCutoff(), 4500.0f);

    // A new note starts at the exact cutoff, key tracking included.
    auto tracked = filterSettings (FilterMode::Low, 1000.0f, 0.2f, 1);
    tracked.keyTrack = 1.0f;
    section.update (tracked, tracked, 1, FilterSection::keyFrequency (60.0f, 0.0f));
    section.startNote();
    for (const auto* filter : { &section.getFilter1(), &section.getFilter2() })
        for (const auto& stage : filter->stages)
            EXPECT_NEAR (stage.getCurrentCutoff(), 2000.0f, 0.5f);
}

TEST (FilterSection, KeyFrequency)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();

    struct Case
    {
        float note, bend, expected, tolerance;
    };

    const Case cases[] = {
        { 69.0f, 0.0f, 440.0f, 0.0f },
        { 57.0f, 0.0f, 220.0f, 1.0e-4f },
        { 60.0f, 0.0f, 261.6256f, 1.0e-3f },
        { 48.0f, 0.0f, 130.8128f, 1.0e-3f },
        { 67.0f, 2.0f, 440.0f, 1.0e-4f },
        { 71.0f, -2.0f, 440.0f, 1.0e-4f },
        { nan, 0.0f, 130.81f, 0.0f },
        { 60.0f, nan, 130.81f, 0.0f },
        { inf, 0.0f, 130.81f, 0.0f },
        { -inf, 0.0f, 130.81f, 0.0f },
        { 1.0e6f, 0.0f, 130.81f, 0.0f },
    };

    for (const auto& c : cases)
        EXPECT_NEAR (FilterSection::keyFrequency (c.note, c.bend), c.expected, c.tolerance) << "note " << c.note << " bend " << c.bend;
}

} // namespace
