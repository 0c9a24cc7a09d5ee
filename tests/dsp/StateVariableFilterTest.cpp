#include "dsp/StateVariableFilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <vector>

namespace
{

using namespace halvo;

const char* modeName (FilterMode mode)
{
    switch (mode)
    {
        case FilterMode::Low:   return "Low";
        case FilterMode::High:  return "High";
        case FilterMode::Band:  return "Band";
        case FilterMode::Notch: return "Notch";
    }
    return "?";
}

StateVariableFilter settledStage (FilterMode mode, double sampleRate, float cutoff, float resonance)
{
    StateVariableFilter stage;
    stage.prepare (sampleRate);
    stage.setMode (mode);
    stage.setCutoffTarget (cutoff);
    stage.setResonanceTarget (resonance);
    stage.startFromTargets();
    return stage;
}

/** Amplitude of the component at `frequency` in a block holding a whole number of its periods. */
double amplitudeAt (const std::vector<float>& block, double frequency, double sampleRate)
{
    std::complex<double> sum;
    const double omega = juce::MathConstants<double>::twoPi * frequency / sampleRate;
    for (size_t n = 0; n < block.size(); ++n)
        sum += (double) block[n] * std::polar (1.0, -omega * (double) n);
    return 2.0 * std::abs (sum) / (double) block.size();
}

std::vector<float> noiseBlock (int length, int seed)
{
    juce::Random random (seed);
    std::vector<float> block ((size_t) length);
    for (auto& sample : block)
        sample = random.nextFloat() * 2.0f - 1.0f;
    return block;
}

//==============================================================================
TEST (StateVariableFilter, MagnitudeResponseTable)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();

    struct Case
    {
        FilterMode mode;
        float cutoff, resonance, frequency;
        double sampleRate;
        float expected, tolerance;
    };

    const Case cases[] = {
        // far from the cutoff the pass bands are flat
        { FilterMode::Low, 1000.0f, 0.2f, 10.0f, 44100.0, 1.0f, 1.0e-3f },
        { FilterMode::High, 100.0f, 0.2f, 15000.0f, 44100.0, 1.0f, 1.0e-3f },
        { FilterMode::Notch, 1000.0f, 0.2f, 10.0f, 44100.0, 1.0f, 1.0e-3f },
        { FilterMode::Low, 1000.0f, 0.2f, 15000.0f, 44100.0, 0.0f, 1.0e-2f },
        { FilterMode::High, 1000.0f, 0.2f, 10.0f, 44100.0, 0.0f, 1.0e-3f },
        // at the cutoff the prewarped map gives s = j exactly: Low, High and Band peak at 1/k
        { FilterMode::Low, 1000.0f, 0.2f, 1000.0f, 44100.0, 1.0f / 1.6f, 1.0e-4f },
        { FilterMode::High, 1000.0f, 0.2f, 1000.0f, 44100.0, 1.0f / 1.6f, 1.0e-4f },
        { FilterMode::Band, 1000.0f, 0.2f, 1000.0f, 44100.0, 1.0f / 1.6f, 1.0e-4f },
        { FilterMode::Band, 3000.0f, 0.75f, 3000.0f, 48000.0, 1.0f / 0.5f, 1.0e-4f },
        { FilterMode::Notch, 1000.0f, 0.2f, 1000.0f, 44100.0, 0.0f, 1.0e-4f },
        { FilterMode::Low, 1000.0f, 0.0f, 1000.0f, 44100.0, 0.5f, 1.0e-4f },
        // resonance 1 is held at 0.99, so k = 0.02
        { FilterMode::Low, 1000.0f, 1.0f, 1000.0f, 44100.0, 50.0f, 1.0e-2f },
        { FilterMode::Low, 1000.0f, 0.99f, 1000.0f, 44100.0, 50.0f, 1.0e-2f },
        { FilterMode::Low, 1000.0f, 7.0f, 1000.0f, 44100.0, 50.0f, 1.0e-2f },
        { FilterMode::Low, 1000.0f, -1.0f, 1000.0f, 44100.0, 0.5f, 1.0e-4f },
        // cutoff limits: 12000 as is, 22000 held at 19845, 5 raised to 20
        { FilterMode::Band, 12000.0f, 0.2f, 12000.0f, 44100.0, 1.0f / 1.6f, 1.0e-4f },
        { FilterMode::Band, 22000.0f, 0.2f, 19845.0f, 44100.0, 1.0f / 1.6f, 1.0e-4f },
        { FilterMode::Band, 5.0f, 0.2f, 20.0f, 44100.0, 1.0f / 1.6f, 1.0e-4f },
        { FilterMode::Notch, 22000.0f, 0.2f, 19845.0f, 44100.0, 0.0f, 1.0e-4f },
        // Nyquist
        { FilterMode::High, 1000.0f, 0.2f, 22050.0f, 44100.0, 1.0f, 0.0f },
        { FilterMode::Notch, 1000.0f, 0.2f, 22050.0f, 44100.0, 1.0f, 0.0f },
        { FilterMode::Low, 1000.0f, 0.2f, 22050.0f, 44100.0, 0.0f, 0.0f },
        { FilterMode::Band, 1000.0f, 0.2f, 24000.0f, 48000.0, 0.0f, 0.0f },
        // invalid frequency or rate
        { FilterMode::Low, 1000.0f, 0.2f, 0.0f, 44100.0, 0.0f, 0.0f },
        { FilterMode::High, 1000.0f, 0.2f, -100.0f, 44100.0, 0.0f, 0.0f },
        { FilterMode::Notch, 1000.0f, 0.2f, nan, 44100.0, 0.0f, 0.0f },
        { FilterMode::Notch, 1000.0f, 0.2f, inf, 44100.0, 0.0f, 0.0f },
        { FilterMode::Low, 1000.0f, 0.2f, 100.0f, 0.0, 0.0f, 0.0f },
        { FilterMode::Low, 1000.0f, 0.2f, 100.0f, -44100.0, 0.0f, 0.0f },
        // a resonance that is not a number gives no finite magnitude
        { FilterMode::Low, 1000.0f, nan, 100.0f, 44100.0, 0.0f, 0.0f },
    };

    for (const auto& c : cases)
    {
        const float magnitude = StateVariableFilter::magnitudeResponse (c.mode, c.cutoff, c.resonance, c.frequency, c.sampleRate);
        EXPECT_NEAR (magnitude, c.expected, c.tolerance)
            << modeName (c.mode) << " cutoff " << c.cutoff << " resonance " << c.resonance
            << " at " << c.frequency << " Hz, rate " << c.sampleRate;
    }
}

TEST (StateVariableFilter, CutoffLimits)
{
    struct Case
    {
        float cutoff;
        double sampleRate;
        float expected;
    };

    const Case cases[] = {
        { 12000.0f, 44100.0, 12000.0f },
        { 22000.0f, 44100.0, 19845.0f },
        { 19845.0f, 44100.0, 19845.0f },
        { 5.0f, 44100.0, 20.0f },
        { -300.0f, 44100.0, 20.0f },
        { 20.0f, 44100.0, 20.0f },
        { 30000.0f, 48000.0, 21600.0f },
        { 30000.0f, 96000.0, 30000.0f },
    };

    for (const auto& c : cases)
        EXPECT_EQ (StateVariableFilter::limitCutoff (c.cutoff, c.sampleRate), c.expected)
            << c.cutoff << " Hz at " << c.sampleRate;
}

// The running stage must filter exactly as the drawn response says: a steady sine comes out
// scaled by magnitudeResponse at its frequency.
TEST (StateVariableFilter, SteadySineFollowsTheMagnitudeResponse)
{
    constexpr double sampleRate = 48000.0;
    constexpr int settleSamples = 48000;
    constexpr int measureSamples = 48000; // one second: whole periods for integer frequencies

    struct Setting
    {
        float cutoff, resonance;
    };
    const Setting settings[] = { { 1000.0f, 0.5f }, { 6000.0f, 0.9f }, { 21600.0f, 0.0f } };
    const double frequencies[] = { 50.0, 300.0, 1000.0, 2500.0, 6000.0, 12000.0, 20000.0 };

    for (const auto mode : { FilterMode::Low, FilterMode::High, FilterMode::Band, FilterMode::Notch })
    {
        for (const auto& setting : settings)
        {
            for (const double frequency : frequencies)
            {
                auto stage = settledStage (mode, sampleRate, setting.cutoff, setting.resonance);
                const double omega = juce::MathConstants<double>::twoPi * frequency / sampleRate;

                for (int n = 0; n < settleSamples; ++n)
                    stage.processSample ((float) std::sin (omega * n));

                std::vector<float> output ((size_t) measureSamples);
                for (int n = 0; n < measureSamples; ++n)
                    output[(size_t) n] = stage.processSample ((float) std::sin (omega * (settleSamples + n)));

                const double measured = amplitudeAt (output, frequency, sampleRate);
                const double expected = StateVariableFilter::magnitudeResponse (mode, setting.cutoff, setting.resonance,
                                                                               (float) frequency, sampleRate);
                EXPECT_NEAR (measured, expected, 1.0e-4 + 1.0e-4 * expected)
                    << modeName (mode) << " cutoff " << setting.cutoff << " resonance " << setting.resonance
                    << " at " << frequency << " Hz";
            }
        }
    }
}

TEST (StateVariableFilter, CutoffAndResonanceGlideOverTwentyMilliseconds)
{
    for (const double sampleRate : { 44100.0, 48000.0, 96000.0 })
    {
        const int steps = (int) std::floor (0.02 * sampleRate);
        auto stage = settledStage (FilterMode::Low, sampleRate, 1000.0f, 0.1f);

        stage.setCutoffTarget (5000.0f);
        stage.setResonanceTarget (0.9f);
        EXPECT_EQ (stage.getCurrentCutoff(), 1000.0f) << sampleRate;

        const float largestCutoffStep = 4000.0f / (float) steps * 1.001f;
        float previousCutoff = stage.getCurrentCutoff();

        for (int i = 1; i < steps; ++i)
        {
            stage.processSample (0.0f);
            const float cutoff = stage.getCurrentCutoff();
            ASSERT_GT (cutoff, previousCutoff) << "step " << i << " at " << sampleRate;
            ASSERT_LE (cutoff - previousCutoff, largestCutoffStep) << "step " << i << " at " << sampleRate;
            ASSERT_LT (cutoff, 5000.0f) << "step " << i << " at " << sampleRate;
            ASSERT_LT (stage.getCurrentResonance(), 0.9f) << "step " << i << " at " << sampleRate;
            previousCutoff = cutoff;

            // Setting the target it already heads for must not restart the glide.
            if (i == steps / 2)
            {
                EXPECT_NEAR (cutoff, 3000.0f, 10.0f) << sampleRate;
                stage.setCutoffTarget (5000.0f);
            }
        }

        stage.processSample (0.0f);
        EXPECT_EQ (stage.getCurrentCutoff(), 5000.0f) << sampleRate;
        EXPECT_EQ (stage.getCurrentResonance(), 0.9f) << sampleRate;
    }
}

TEST (StateVariableFilter, StartFromTargetsJumpsAndClearsTheState)
{
    constexpr double sampleRate = 44100.0;
    const auto input = noiseBlock (2048, 7);

    for (const auto mode : { FilterMode::Low, FilterMode::High, FilterMode::Band, FilterMode::Notch })
    {
        auto used = settledStage (mode, sampleRate, 300.0f, 0.3f);
        for (const float x : input)
            used.processSample (x);

        used.setCutoffTarget (4000.0f);
        used.setResonanceTarget (0.7f);
        used.startFromTargets();
        EXPECT_EQ (used.getCurrentCutoff(), 4000.0f);
        EXPECT_EQ (used.getCurrentResonance(), 0.7f);

        auto fresh = settledStage (mode, sampleRate, 4000.0f, 0.7f);

        // Same coefficients and empty integrators: the two stages agree sample for sample.
        for (const float x : input)
            ASSERT_EQ (used.processSample (x), fresh.processSample (x)) << modeName (mode);
    }
}

TEST (StateVariableFilter, PrepareAtANewRateRecomputesTheCoefficients)
{
    const auto input = noiseBlock (1024, 3);

    auto stage = settledStage (FilterMode::Band, 44100.0, 2000.0f, 0.6f);
    for (const float x : input)
        stage.processSample (x);

    // Cutoff and resonance stay the same numbers, but g depends on the rate.
    stage.prepare (96000.0);
    auto fresh = settledStage (FilterMode::Band, 96000.0, 2000.0f, 0.6f);

    EXPECT_EQ (stage.getCurrentCutoff(), 2000.0f);
    for (const float x : input)
        ASSERT_EQ (stage.processSample (x), fresh.processSample (x));
}

} // namespace
