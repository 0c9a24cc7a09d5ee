#include "fx/FxRack.h"
#include "fx/Reverb.h"
#include "fx/StereoDelay.h"

#include "fx/FxTestSupport.h"
#include "support/SignalAnalysis.h"
#include "support/TestNames.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

using namespace halvo;
using halvo::test::bitIdentical;

//==============================================================================
// StereoDelay

struct DelayCase
{
    const char* name;
    float timeMs;
    double sampleRate, lineSeconds;
    int expectedSamples;
};

class StereoDelayTime : public ::testing::TestWithParam<DelayCase>
{
};

TEST_P (StereoDelayTime, RoundsToWholeSamplesWithinTheLine)
{
    const auto& c = GetParam();
    StereoDelay delay;
    delay.prepare (c.sampleRate, c.lineSeconds);
    delay.setParameters (c.timeMs, 0.0f, 1.0f);
    EXPECT_EQ (delay.getDelaySamples(), c.expectedSamples);

    // The impulse comes back exactly that many samples later, on both channels, and only there.
    auto buffer = test::makeImpulse (2, c.expectedSamples + 16);
    test::inBlocks (buffer, 4096, [&] (juce::AudioBuffer<float>& block, int n) { delay.processBlock (block, n); });

    for (int ch = 0; ch < 2; ++ch)
    {
        EXPECT_EQ (test::indexOfPeak (buffer, ch), c.expectedSamples);
        EXPECT_EQ (buffer.getSample (ch, c.expectedSamples), 1.0f);
        EXPECT_EQ (test::peak (buffer.getReadPointer (ch), c.expectedSamples), 0.0f);
    }
}

INSTANTIATE_TEST_SUITE_P (Cases, StereoDelayTime,
                          ::testing::Values (DelayCase { "Rack2000msAt48kLimitedToLineMinusOne", 2000.0f, 48000.0, 2.0, 95999 },
                                             DelayCase { "Fixed1000msAt48kLimitedToLineMinusOne", 1000.0f, 48000.0, 1.0, 47999 },
                                             DelayCase { "Fixed1000msAt44k", 1000.0f, 44100.0, 1.0, 44099 },
                                             DelayCase { "Default350msAt44k", 350.0f, 44100.0, 1.0, 15435 },
                                             DelayCase { "HalfSampleRoundsUp", 5.0f, 44100.0, 2.0, 221 },
                                             DelayCase { "FractionRoundsDown", 1.4f, 48000.0, 2.0, 67 },
                                             DelayCase { "BelowOneMsIsOneMs", 0.2f, 48000.0, 2.0, 48 },
                                             DelayCase { "NotANumberIsOneMs", std::numeric_limits<float>::quiet_NaN(), 48000.0, 2.0, 48 }),
                          test::NameFromField {});

TEST (StereoDelay, LinesAreSizedFromTheRate)
{
    struct Case
    {
        double sampleRate, seconds;
        int expectedLength;
    };
    const Case cases[] = { { 48000.0, 2.0, 96000 }, { 44100.0, 1.0, 44100 }, { 44100.5, 1.0, 44101 }, { 1.0, 1.0, 2 } };

    for (const auto& c : cases)
    {
        StereoDelay delay;
        delay.prepare (c.sampleRate, c.seconds);
        EXPECT_EQ (delay.getBufferLength(), c.expectedLength) << c.sampleRate;
    }
}

TEST (StereoDelay, FeedbackRepeatsAndMixBlends)
{
    struct Case
    {
        float feedback, mix;
        float atZero, firstEcho, secondEcho, thirdEcho;
    };
    const Case cases[] = {
        { 0.5f, 1.0f, 0.0f, 1.0f, 0.5f, 0.25f },
        { 0.5f, 0.5f, 0.5f, 0.5f, 0.25f, 0.125f },
        { 3.0f, 1.0f, 0.0f, 1.0f, 0.95f, 0.95f * 0.95f }, // feedback limited to 0.95
        { -1.0f, 1.0f, 0.0f, 1.0f, 0.0f, 0.0f },
    };

    for (const auto& c : cases)
    {
        StereoDelay delay;
        delay.prepare (48000.0, 1.0);
        delay.setParameters (10.0f, c.feedback, c.mix);

        auto buffer = test::makeImpulse (2, 1500);
        test::inBlocks (buffer, 300, [&] (juce::AudioBuffer<float>& block, int n) { delay.processBlock (block, n); });

        for (int ch = 0; ch < 2; ++ch)
        {
            EXPECT_FLOAT_EQ (buffer.getSample (ch, 0), c.atZero);
            EXPECT_FLOAT_EQ (buffer.getSample (ch, 480), c.firstEcho);
            EXPECT_FLOAT_EQ (buffer.getSample (ch, 960), c.secondEcho);
            EXPECT_FLOAT_EQ (buffer.getSample (ch, 1440), c.thirdEcho);
        }
    }
}

TEST (StereoDelay, AOneChannelBlockFeedsBothLines)
{
    StereoDelay delay;
    delay.prepare (48000.0, 1.0);
    delay.setParameters (10.0f, 0.0f, 1.0f);

    auto mono = test::makeImpulse (1, 100);
    delay.processBlock (mono, 100);

    auto stereo = test::makeSignal (2, 500, [] (int, int) { return 0.0f; });
    delay.processBlock (stereo, 500);

    EXPECT_FLOAT_EQ (stereo.getSample (0, 380), 1.0f);
    EXPECT_FLOAT_EQ (stereo.getSample (1, 380), 1.0f);
}

TEST (StereoDelay, DoesNothingBeforeItsLinesExist)
{
    StereoDelay delay;
    delay.setParameters (10.0f, 0.5f, 1.0f);

    const auto input = test::makeSines (2, 256, 48000.0);
    auto output = input;
    delay.processBlock (output, 256);
    EXPECT_TRUE (bitIdentical (output, input));
}

//==============================================================================
// Reverb

struct ReverbLengthCase
{
    const char* name;
    double sampleRate;
    std::array<int, 6> left, right; // four combs, then two all-passes
};

class ReverbLengths : public ::testing::TestWithParam<ReverbLengthCase>
{
};

TEST_P (ReverbLengths, FollowTheSampleRate)
{
    const auto& c = GetParam();
    Reverb reverb;
    reverb.prepare (c.sampleRate);

    for (int ch = 0; ch < 2; ++ch)
    {
        const auto& expected = ch == 0 ? c.left : c.right;
        EXPECT_EQ (Reverb::lineLengths (c.sampleRate, ch), expected) << "channel " << ch;

        for (int i = 0; i < Reverb::numCombs; ++i)
            EXPECT_EQ (reverb.getCombLength (ch, i), expected[(size_t) i]) << "channel " << ch << " comb " << i;
        for (int i = 0; i < Reverb::numAllPasses; ++i)
            EXPECT_EQ (reverb.getAllPassLength (ch, i), expected[(size_t) (Reverb::numCombs + i)]) << "channel " << ch << " all-pass " << i;
    }
}

INSTANTIATE_TEST_SUITE_P (Rates, ReverbLengths,
                          ::testing::Values (ReverbLengthCase { "At44k", 44100.0, { 1116, 1188, 1277, 1356, 556, 441 }, { 1139, 1211, 1300, 1379, 579, 464 } },
                                             ReverbLengthCase { "At96k", 96000.0, { 2429, 2586, 2780, 2952, 1210, 960 }, { 2479, 2636, 2830, 3002, 1260, 1010 } },
                                             // h = 0.5 puts 1277, 441 and 23 on halves, which round away from zero
                                             ReverbLengthCase { "At22kHalvesRoundUp", 22050.0, { 558, 594, 639, 678, 278, 221 }, { 570, 606, 651, 690, 290, 233 } },
                                             ReverbLengthCase { "TinyRateKeepsEightSamples", 100.0, { 8, 8, 8, 8, 8, 8 }, { 8, 8, 8, 8, 8, 8 } }),
                          test::NameFromField {});

TEST (Reverb, TheFirstEchoLeavesAfterTheFirstComb)
{
    for (const double sampleRate : { 44100.0, 96000.0 })
    {
        Reverb reverb;
        reverb.prepare (sampleRate);

        for (int ch = 0; ch < 2; ++ch)
        {
            const int expected = Reverb::lineLengths (sampleRate, ch)[0];
            int firstNonZero = -1;
            float value = 0.0f;
            for (int i = 0; i < 4000 && firstNonZero < 0; ++i)
            {
                const float y = reverb.processChannel (ch, i == 0 ? 1.0f : 0.0f, 0.84f, 0.5f);
                if (y != 0.0f)
                {
                    firstNonZero = i;
                    value = y;
                }
            }

            // A quarter of the comb's sum passes straight through both all-passes.
            EXPECT_EQ (firstNonZero, expected) << sampleRate << " channel " << ch;
            EXPECT_FLOAT_EQ (value, 0.25f);
        }
    }
}

FxSlotParams reverbParams (float size, float damping, float width, float mix)
{
    FxSlotParams params;
    params.enabled = true;
    params.reverbSize = size;
    params.reverbDamping = damping;
    params.reverbWidth = width;
    params.reverbMix = mix;
    return params;
}

TEST (FxRackReverb, SizeAndDampingSetTheCombs)
{
    struct Case
    {
        float size, damping;
        float feedback, damp;
    };
    const Case cases[] = {
        { 0.0f, 0.0f, 0.7f, 0.2f },
        { 0.5f, 0.5f, 0.84f, 0.5f },
        { 1.0f, 1.0f, 0.98f, 0.8f },
        { 4.0f, -1.0f, 0.98f, 0.2f }, // clamped to 0..1 first
    };

    constexpr double sampleRate = 48000.0;

    for (const auto& c : cases)
    {
        FxRack rack;
        rack.prepare (sampleRate);
        auto buffer = test::makeSines (2, 12000, sampleRate);
        const auto input = buffer;
        test::inBlocks (buffer, 512, [&] (juce::AudioBuffer<float>& block, int n) {
            rack.runSlot (FxSlot::Rev, reverbParams (c.size, c.damping, 1.0f, 1.0f), block, n);
        });

        Reverb reference;
        reference.prepare (sampleRate);
        for (int i = 0; i < input.getNumSamples(); ++i)
            for (int ch = 0; ch < 2; ++ch)
            {
                // Width 1 and mix 1 give the tail itself, up to the rounding of the mid/side sums.
                const float y = reference.processChannel (ch, input.getSample (ch, i), c.feedback, c.damp);
                ASSERT_NEAR (buffer.getSample (ch, i), y, 2.0e-6f * std::max (1.0f, std::abs (y)))
                    << "size " << c.size << " damping " << c.damping << " channel " << ch << " sample " << i;
            }
    }
}

TEST (FxRackReverb, WidthZeroMakesTheWetSignalMono)
{
    for (const float width : { 0.0f, 1.0f })
    {
        FxRack rack;
        rack.prepare (48000.0);
        const auto input = test::makeSines (2, 8000, 48000.0);
        auto output = input;
        rack.runSlot (FxSlot::Rev, reverbParams (0.8f, 0.3f, width, 0.5f), output, 8000);

        float largestSideDifference = 0.0f, largestWet = 0.0f;
        for (int i = 0; i < 8000; ++i)
        {
            const float wetLeft = output.getSample (0, i) - 0.5f * input.getSample (0, i);
            const float wetRight = output.getSample (1, i) - 0.5f * input.getSample (1, i);
            largestSideDifference = std::max (largestSideDifference, std::abs (wetLeft - wetRight));
            largestWet = std::max (largestWet, std::abs (wetLeft));
        }

        EXPECT_GT (largestWet, 0.01f);
        if (width == 0.0f)
            EXPECT_LT (largestSideDifference, 1.0e-6f);
        else
            EXPECT_GT (largestSideDifference, 0.01f);
    }
}

TEST (FxRackReverb, OneChannelRunsTheLeftTail)
{
    FxRack rack;
    rack.prepare (44100.0);
    const auto input = test::makeSines (1, 6000, 44100.0);
    auto output = input;
    rack.runSlot (FxSlot::Rev, reverbParams (0.6f, 0.5f, 1.0f, 0.3f), output, 6000);

    Reverb reference;
    reference.prepare (44100.0);
    for (int i = 0; i < 6000; ++i)
    {
        const float x = input.getSample (0, i);
        const float y = reference.processChannel (0, x, 0.7f + 0.28f * 0.6f, 0.2f + 0.6f * 0.5f);
        ASSERT_NEAR (output.getSample (0, i), x + (y - x) * 0.3f, 1.0e-6f) << i;
    }
}

TEST (FxRackReverb, SilentMixOrUnpreparedReverbLeavesTheSignal)
{
    FxRack unprepared;
    const auto input = test::makeSines (2, 512, 48000.0);
    auto output = input;
    unprepared.runSlot (FxSlot::Rev, reverbParams (0.5f, 0.5f, 1.0f, 1.0f), output, 512);
    EXPECT_TRUE (bitIdentical (output, input));

    FxRack prepared;
    prepared.prepare (48000.0);
    prepared.runSlot (FxSlot::Rev, reverbParams (0.5f, 0.5f, 1.0f, 1.0e-4f), output, 512);
    EXPECT_TRUE (bitIdentical (output, input));
}

} // namespace
