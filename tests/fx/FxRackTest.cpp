#include "fx/FxRack.h"

#include "fx/FxTestSupport.h"
#include "support/SignalAnalysis.h"
#include "support/TestNames.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>

namespace
{

using namespace halvo;
using halvo::test::allFinite;
using halvo::test::bitIdentical;

constexpr double rate = 48000.0;

FxSlotParams enabledParams()
{
    FxSlotParams params;
    params.enabled = true;
    return params;
}

/** Runs one slot over the whole buffer in blocks of 256 samples. */
void runSlotInBlocks (FxRack& rack, FxSlot slot, const FxSlotParams& params, juce::AudioBuffer<float>& buffer)
{
    test::inBlocks (buffer, 256, [&] (juce::AudioBuffer<float>& block, int n) { rack.runSlot (slot, params, block, n); });
}

double gainDbBetween (const juce::AudioBuffer<float>& in, const juce::AudioBuffer<float>& out, int start)
{
    const int n = in.getNumSamples() - start;
    return 20.0 * std::log10 (test::rms (out.getReadPointer (0) + start, n) / test::rms (in.getReadPointer (0) + start, n));
}

//==============================================================================
// EQ

TEST (FxRackEq, FlatBandsLeaveTheSignalBitIdentical)
{
    struct Case
    {
        float low, bell, high, bellFrequency;
    };
    const Case flatCases[] = {
        { 0.0f, 0.0f, 0.0f, 1000.0f },
        { 0.01f, -0.01f, 0.01f, 250.0f },
        { -0.01f, 0.0f, -0.01f, 12000.0f },
    };

    for (const auto& c : flatCases)
    {
        FxRack rack;
        rack.prepare (rate);
        auto params = enabledParams();
        params.eqLowGainDb = c.low;
        params.eqBellGainDb = c.bell;
        params.eqHighGainDb = c.high;
        params.eqBellFrequency = c.bellFrequency;

        const auto input = test::makeSines (2, 2048, rate);
        auto output = input;
        runSlotInBlocks (rack, FxSlot::Eq, params, output);
        EXPECT_TRUE (bitIdentical (output, input)) << c.low << " " << c.bell << " " << c.high;
    }

    // Just above the flat limit the EQ filters.
    FxRack rack;
    rack.prepare (rate);
    auto params = enabledParams();
    params.eqHighGainDb = 0.02f;
    const auto input = test::makeSines (2, 2048, rate);
    auto output = input;
    runSlotInBlocks (rack, FxSlot::Eq, params, output);
    EXPECT_FALSE (bitIdentical (output, input));
}

struct BandCase
{
    const char* name;
    float low, bell, high, bellFrequency;
    double probeHz; // 0 = DC, 24000 = the Nyquist frequency
    double expectedDb;
};

class FxRackEqBands : public ::testing::TestWithParam<BandCase>
{
};

TEST_P (FxRackEqBands, ReachTheirGainsWhereTheyAct)
{
    const auto& c = GetParam();
    FxRack rack;
    rack.prepare (rate);
    auto params = enabledParams();
    params.eqLowGainDb = c.low;
    params.eqBellGainDb = c.bell;
    params.eqHighGainDb = c.high;
    params.eqBellFrequency = c.bellFrequency;

    const auto input = test::makeSignal (2, 24000, [&] (int, int i) {
        if (c.probeHz == 0.0)
            return 0.1f;
        if (c.probeHz == rate / 2.0)
            return i % 2 == 0 ? 0.1f : -0.1f;
        return 0.1f * (float) std::sin (2.0 * juce::MathConstants<double>::pi * c.probeHz * i / rate);
    });

    auto output = input;
    runSlotInBlocks (rack, FxSlot::Eq, params, output);

    // Measured over the last 0.1 s, a whole number of cycles of every probe.
    EXPECT_NEAR (gainDbBetween (input, output, 24000 - 4800), c.expectedDb, 0.05);
    EXPECT_TRUE (allFinite (output));
}

INSTANTIATE_TEST_SUITE_P (Cases, FxRackEqBands,
                          ::testing::Values (BandCase { "LowShelfBoostAtDc", 12.0f, 0.0f, 0.0f, 1000.0f, 0.0, 12.0 },
                                             BandCase { "LowShelfCutAtDc", -6.0f, 0.0f, 0.0f, 1000.0f, 0.0, -6.0 },
                                             BandCase { "LowShelfLeavesNyquist", 12.0f, 0.0f, 0.0f, 1000.0f, 24000.0, 0.0 },
                                             BandCase { "HighShelfBoostAtNyquist", 0.0f, 0.0f, 9.0f, 1000.0f, 24000.0, 9.0 },
                                             BandCase { "HighShelfLeavesDc", 0.0f, 0.0f, 9.0f, 1000.0f, 0.0, 0.0 },
                                             BandCase { "BellBoostAtCentre", 0.0f, 6.0f, 0.0f, 1000.0f, 1000.0, 6.0 },
                                             BandCase { "BellCutAtCentre", 0.0f, -12.0f, 0.0f, 3000.0f, 3000.0, -12.0 },
                                             BandCase { "BellLeavesDc", 0.0f, -12.0f, 0.0f, 3000.0f, 0.0, 0.0 },
                                             BandCase { "AllBandsAddAtDc", 4.0f, 0.0f, -18.0f, 1000.0f, 0.0, 4.0 }),
                          test::NameFromField {});

TEST (FxRackEq, BellFrequencyIsKeptBetween20HzAndBelowNyquist)
{
    struct Case
    {
        double sampleRate;
        float requested, used;
    };
    const Case cases[] = {
        { 22050.0, 12000.0f, 9922.5f }, // 0.45 of the rate
        { 48000.0, 5.0f, 20.0f },
        { 48000.0, -300.0f, 20.0f },
    };

    for (const auto& c : cases)
    {
        auto requested = enabledParams();
        requested.eqBellGainDb = 12.0f;
        requested.eqBellFrequency = c.requested;
        auto used = requested;
        used.eqBellFrequency = c.used;

        FxRack a, b;
        a.prepare (c.sampleRate);
        b.prepare (c.sampleRate);
        auto outA = test::makeSines (2, 1024, c.sampleRate);
        auto outB = outA;
        runSlotInBlocks (a, FxSlot::Eq, requested, outA);
        runSlotInBlocks (b, FxSlot::Eq, used, outB);
        EXPECT_TRUE (bitIdentical (outA, outB)) << c.requested << " Hz at " << c.sampleRate;
    }
}

//==============================================================================
// Compressor

TEST (FxRackCompressor, RatioOneOnlyAppliesTheMakeup)
{
    for (const float makeupDb : { -12.0f, 0.0f, 6.5f, 24.0f })
    {
        FxRack rack;
        rack.prepare (rate);
        auto params = enabledParams();
        params.compThresholdDb = -60.0f;
        params.compRatio = 1.0f;
        params.compMakeupDb = makeupDb;

        const auto input = test::makeSines (2, 4096, rate, 0.9f);
        auto output = input;
        runSlotInBlocks (rack, FxSlot::Comp, params, output);

        const double gain = std::pow (10.0, makeupDb / 20.0);
        for (int c = 0; c < 2; ++c)
            for (int i = 0; i < input.getNumSamples(); ++i)
                ASSERT_NEAR (output.getSample (c, i), input.getSample (c, i) * gain, 1.0e-6 * gain)
                    << "makeup " << makeupDb << " channel " << c << " sample " << i;
    }
}

struct SettledCase
{
    const char* name;
    float thresholdDb, ratio, makeupDb, level;
    int channels;
};

class FxRackCompressorSettled : public ::testing::TestWithParam<SettledCase>
{
};

TEST_P (FxRackCompressorSettled, ConstantInputSettlesToTheStaticCurve)
{
    const auto& c = GetParam();
    FxRack rack;
    rack.prepare (rate);
    auto params = enabledParams();
    params.compThresholdDb = c.thresholdDb;
    params.compRatio = c.ratio;
    params.compMakeupDb = c.makeupDb;

    auto buffer = test::makeSignal (c.channels, 24000, [&] (int, int) { return c.level; });
    runSlotInBlocks (rack, FxSlot::Comp, params, buffer);

    const double levelDb = 20.0 * std::log10 ((double) c.level);
    const double reductionDb = levelDb > c.thresholdDb ? (c.thresholdDb - levelDb) * (1.0 - 1.0 / c.ratio) : 0.0;
    const double expected = c.level * std::pow (10.0, (reductionDb + c.makeupDb) / 20.0);

    for (int ch = 0; ch < c.channels; ++ch)
        EXPECT_NEAR (20.0 * std::log10 (buffer.getSample (ch, 23999) / expected), 0.0, 0.01) << "channel " << ch;
}

INSTANTIATE_TEST_SUITE_P (Cases, FxRackCompressorSettled,
                          ::testing::Values (SettledCase { "FullScaleDown57", -60.0f, 20.0f, 0.0f, 1.0f, 2 },
                                             SettledCase { "FullScaleDown57PlusMakeup", -60.0f, 20.0f, 12.0f, 1.0f, 2 },
                                             SettledCase { "MonoFullScaleDown57", -60.0f, 20.0f, 0.0f, 1.0f, 1 },
                                             SettledCase { "HalfScaleRatio4", -20.0f, 4.0f, 0.0f, 0.5f, 2 },
                                             SettledCase { "BelowThresholdOnlyMakeup", -18.0f, 4.0f, 3.0f, 0.01f, 2 }),
                          test::NameFromField {});

TEST (FxRackCompressor, TheLouderChannelSetsTheGainOfBoth)
{
    FxRack rack;
    rack.prepare (rate);
    auto params = enabledParams();
    params.compThresholdDb = -30.0f;
    params.compRatio = 8.0f;

    const auto input = test::makeSignal (2, 4800, [] (int c, int i) { return c == 0 ? (i < 2400 ? 1.0f : 0.05f) : 0.1f; });
    auto output = input;
    runSlotInBlocks (rack, FxSlot::Comp, params, output);

    for (int i = 0; i < input.getNumSamples(); ++i)
    {
        const float leftGain = output.getSample (0, i) / input.getSample (0, i);
        ASSERT_NEAR (output.getSample (1, i) / input.getSample (1, i), leftGain, 1.0e-6f * leftGain) << i;
    }

    // The quiet right channel is pulled down by the loud left one.
    EXPECT_LT (output.getSample (1, 2399), 0.1f * 0.1f);
}

TEST (FxRackCompressor, DetectorFollowsTheAttackAndReleaseTimes)
{
    struct Case
    {
        float attackMs, releaseMs;
        double sampleRate;
    };
    const Case cases[] = { { 10.0f, 120.0f, 48000.0 }, { 0.1f, 5.0f, 44100.0 }, { 200.0f, 1000.0f, 96000.0 } };

    for (const auto& c : cases)
    {
        FxRack rack;
        rack.prepare (c.sampleRate);
        auto params = enabledParams();
        params.compAttackMs = c.attackMs;
        params.compReleaseMs = c.releaseMs;

        // One full-scale sample: the detector moves from -100 dB towards 0 dB by the attack step.
        auto one = test::makeSignal (2, 1, [] (int, int) { return 1.0f; });
        rack.runSlot (FxSlot::Comp, params, one, 1);
        const double attack = std::exp (-1000.0 / (c.attackMs * c.sampleRate));
        EXPECT_NEAR (rack.getCompressor().getDetectorLevelDb(), -100.0 * attack, 1.0e-3) << c.attackMs;

        // Settle at 0 dB, then one silent sample falls towards the -100 dB floor by the release step.
        auto settle = test::makeSignal (2, (int) (c.sampleRate * 3.0), [] (int, int) { return 1.0f; });
        rack.runSlot (FxSlot::Comp, params, settle, settle.getNumSamples());
        ASSERT_NEAR (rack.getCompressor().getDetectorLevelDb(), 0.0, 1.0e-3);

        auto silence = test::makeSignal (2, 1, [] (int, int) { return 0.0f; });
        rack.runSlot (FxSlot::Comp, params, silence, 1);
        const double release = std::exp (-1000.0 / (c.releaseMs * c.sampleRate));
        EXPECT_NEAR (rack.getCompressor().getDetectorLevelDb(), -100.0 + 100.0 * release, 2.0e-3) << c.releaseMs;
    }
}

//==============================================================================
// Distortion and saturation

struct ShapeCase
{
    const char* name;
    FxSlot slot;
    int32_t mode;
    float drive, mix, x, expected;
};

class FxRackShapers : public ::testing::TestWithParam<ShapeCase>
{
};

TEST_P (FxRackShapers, MapKnownSamplesOnEveryChannel)
{
    const auto& c = GetParam();
    FxRack rack;
    rack.prepare (rate);
    auto params = enabledParams();
    params.distMode = c.mode;
    params.distDrive = c.drive;
    params.distMix = c.mix;
    params.satDrive = c.drive;
    params.satMix = c.mix;

    auto buffer = test::makeSignal (3, 4, [&] (int, int) { return c.x; });
    rack.runSlot (c.slot, params, buffer, 4);

    for (int ch = 0; ch < 3; ++ch)
        for (int i = 0; i < 4; ++i)
            EXPECT_NEAR (buffer.getSample (ch, i), c.expected, 1.0e-6f) << "channel " << ch;
}

constexpr auto dist = FxSlot::Dist;
constexpr auto sat = FxSlot::Sat;

INSTANTIATE_TEST_SUITE_P (Cases, FxRackShapers,
                          ::testing::Values (ShapeCase { "SoftClip", dist, 0, 1.0f, 1.0f, 0.5f, 0.46211716f },
                                             ShapeCase { "SoftClipHalfMix", dist, 0, 1.0f, 0.5f, 0.5f, 0.48105858f },
                                             ShapeCase { "SoftClipDriveBelowOne", dist, 0, 0.2f, 1.0f, 0.5f, 0.46211716f },
                                             ShapeCase { "HardClipLimits", dist, 1, 4.0f, 1.0f, 0.5f, 1.0f },
                                             ShapeCase { "HardClipLinearBelow", dist, 1, 4.0f, 1.0f, -0.1f, -0.4f },
                                             ShapeCase { "HardClipDriveAbove50", dist, 1, 80.0f, 1.0f, 0.01f, 0.5f },
                                             ShapeCase { "FoldLinear", dist, 2, 1.0f, 1.0f, 0.5f, 0.5f },
                                             ShapeCase { "FoldAtTop", dist, 2, 1.0f, 1.0f, 1.0f, 1.0f },
                                             ShapeCase { "FoldsBack", dist, 2, 1.0f, 1.0f, 1.5f, 0.5f },
                                             ShapeCase { "FoldsBackTwice", dist, 2, 2.0f, 1.0f, -1.25f, 0.5f },
                                             ShapeCase { "BitCrushRounds", dist, 3, 1.0f, 1.0f, 0.5f, 118.0f / 255.0f },
                                             ShapeCase { "BitCrushToZero", dist, 3, 1.0f, 1.0f, 0.001f, 0.0f },
                                             ShapeCase { "BitCrushOneStep", dist, 3, 1.0f, 1.0f, -0.003f, -1.0f / 255.0f },
                                             ShapeCase { "ModeAboveRangeIsBitCrush", dist, 7, 1.0f, 1.0f, 0.5f, 118.0f / 255.0f },
                                             ShapeCase { "ModeBelowRangeIsSoftClip", dist, -2, 1.0f, 1.0f, 0.5f, 0.46211716f },
                                             ShapeCase { "SaturationNormalised", sat, 0, 1.0f, 1.0f, 0.5f, 0.60677613f },
                                             ShapeCase { "SaturationFullScaleStays", sat, 0, 24.0f, 1.0f, 1.0f, 1.0f },
                                             ShapeCase { "SaturationHeavy", sat, 0, 24.0f, 1.0f, 0.05f, 0.83365461f },
                                             ShapeCase { "SaturationDriveBelowOne", sat, 0, 0.0f, 1.0f, -0.5f, -0.60677613f },
                                             ShapeCase { "SaturationHalfMix", sat, 0, 1.0f, 0.5f, 0.5f, 0.55338807f }),
                          test::NameFromField {});

TEST (FxRackShapers, InaudibleMixLeavesTheSignalBitIdentical)
{
    for (const auto slot : { FxSlot::Dist, FxSlot::Sat })
    {
        for (const float mix : { 0.0f, 1.0e-4f, -1.0f })
        {
            FxRack rack;
            rack.prepare (rate);
            auto params = enabledParams();
            params.distMix = mix;
            params.satMix = mix;
            params.distDrive = 50.0f;
            params.satDrive = 24.0f;

            const auto input = test::makeSines (2, 512, rate);
            auto output = input;
            runSlotInBlocks (rack, slot, params, output);
            EXPECT_TRUE (bitIdentical (output, input)) << "slot " << (int) slot << " mix " << mix;
        }
    }
}

TEST (FxRackDistortion, BitCrushAtDrive1Has255StepsPerUnit)
{
    FxRack rack;
    rack.prepare (rate);
    auto params = enabledParams();
    params.distMode = (int32_t) DistortionMode::BitCrush;
    params.distDrive = 1.0f;
    params.distMix = 1.0f;

    constexpr int n = 60001;
    auto buffer = test::makeSignal (1, n, [] (int, int i) { return -3.0f + 6.0f * (float) i / (float) (n - 1); });
    rack.runSlot (FxSlot::Dist, params, buffer, n);

    std::set<int> steps;
    for (int i = 0; i < n; ++i)
    {
        const float scaled = buffer.getSample (0, i) * 255.0f;
        ASSERT_NEAR (scaled, std::round (scaled), 2.0e-4f) << "sample " << i << " is between steps";
        steps.insert ((int) std::round (scaled));
    }

    // tanh(3) * 255 = 253.7: every step from -254 to 254 is visited, none skipped.
    EXPECT_EQ (*steps.begin(), -254);
    EXPECT_EQ (*steps.rbegin(), 254);
    EXPECT_EQ ((int) steps.size(), 509);
}

TEST (FxRackDistortion, HardClipAtDrive50SquaresASmallSine)
{
    FxRack rack;
    rack.prepare (rate);
    auto params = enabledParams();
    params.distMode = (int32_t) DistortionMode::HardClip;
    params.distDrive = 50.0f;
    params.distMix = 1.0f;

    const auto input = test::makeSignal (2, 4800, [] (int, int i) {
        return 0.1f * (float) std::sin (2.0 * juce::MathConstants<double>::pi * 100.0 * i / rate);
    });
    auto output = input;
    rack.runSlot (FxSlot::Dist, params, output, 4800);

    int atRail = 0;
    for (int i = 0; i < 4800; ++i)
    {
        const float x = input.getSample (0, i), y = output.getSample (0, i);
        ASSERT_LE (std::abs (y), 1.0f);
        if (std::abs (x) >= 0.02f)
        {
            ASSERT_EQ (std::abs (y), 1.0f) << "sample " << i;
            ASSERT_EQ (y > 0.0f, x > 0.0f) << "sample " << i;
            ++atRail;
        }
    }

    EXPECT_GT (atRail, 4800 * 85 / 100);
}

//==============================================================================
// Chorus

TEST (FxRackChorus, DepthZeroIsAFixed7MsDelay)
{
    for (const double sampleRate : { 48000.0, 96000.0, 44100.0 })
    {
        FxRack rack;
        rack.prepare (sampleRate);
        auto params = enabledParams();
        params.chorusDepthMs = 0.0f;
        params.chorusRateHz = 5.0f;
        params.chorusFeedback = 0.0f;
        params.chorusMix = 0.5f;

        const auto input = test::makeSines (2, 3000, sampleRate);
        auto output = input;
        runSlotInBlocks (rack, FxSlot::Chor, params, output);

        // 336 samples at 48 kHz, 672 at 96 kHz, 308.7 at 44.1 kHz (read between two samples).
        const double delay = sampleRate * 7.0 / 1000.0;
        const int whole = (int) std::ceil (delay);
        const float fraction = (float) (whole - delay);

        for (int c = 0; c < 2; ++c)
        {
            const auto in = [&] (int i) { return i >= 0 ? input.getSample (c, i) : 0.0f; };
            for (int i = 0; i < input.getNumSamples(); ++i)
            {
                const float delayed = fraction * in (i - whole + 1) + (1.0f - fraction) * in (i - whole);
                ASSERT_NEAR (output.getSample (c, i), in (i) + (delayed - in (i)) * 0.5f, 1.0e-6f)
                    << sampleRate << " Hz, channel " << c << ", sample " << i;
            }
        }
    }
}

TEST (FxRackChorus, TheRightDelayRunsAQuarterCycleAhead)
{
    FxRack rack;
    rack.prepare (rate);
    auto params = enabledParams();
    params.chorusDepthMs = 10.0f;
    params.chorusRateHz = 0.01f; // slow enough that the delays hardly move during the test
    params.chorusFeedback = 0.0f;
    params.chorusMix = 1.0f;

    auto buffer = test::makeImpulse (2, 1200);
    runSlotInBlocks (rack, FxSlot::Chor, params, buffer);

    // At phase 0 the left delay sits mid-sweep (7 + 5 ms), the right one at its top (7 + 10 ms).
    EXPECT_NEAR (test::indexOfPeak (buffer, 0), 576, 1);
    EXPECT_NEAR (test::indexOfPeak (buffer, 1), 816, 1);
}

TEST (FxRackChorus, FeedbackRepeatsTheDelayedSignal)
{
    for (const float feedback : { 0.5f, -0.5f, 0.95f, 2.0f })
    {
        FxRack rack;
        rack.prepare (rate);
        auto params = enabledParams();
        params.chorusDepthMs = 0.0f;
        params.chorusFeedback = feedback;
        params.chorusMix = 1.0f;

        auto buffer = test::makeImpulse (2, 1100);
        runSlotInBlocks (rack, FxSlot::Chor, params, buffer);

        const float used = std::min (feedback, 0.95f);
        for (int c = 0; c < 2; ++c)
        {
            EXPECT_FLOAT_EQ (buffer.getSample (c, 336), 1.0f);
            EXPECT_FLOAT_EQ (buffer.getSample (c, 672), used);
            EXPECT_FLOAT_EQ (buffer.getSample (c, 1008), used * used);
            EXPECT_EQ (buffer.getSample (c, 500), 0.0f);
        }
    }
}

//==============================================================================
// Rack order and slot switching

TEST (FxRackOrder, EntriesAreClampedToTheSevenSlots)
{
    FxRack rack;
    rack.setOrder ({ -5, 12, 3, 7, 6, 0, -1 });
    const FxRack::Order expected { 0, 6, 3, 6, 6, 0, 0 };
    EXPECT_EQ (rack.getOrder(), expected);
}

/** Every slot switched on with settings that all change the signal. */
void enableEverySlot (FxRack& rack)
{
    for (int slot = 0; slot < numFxSlots; ++slot)
    {
        auto& params = rack.getSlotParams (static_cast<FxSlot> (slot));
        params = enabledParams();
        params.eqLowGainDb = 6.0f;
        params.eqBellGainDb = -4.0f;
        params.compThresholdDb = -30.0f;
        params.distMix = 0.7f;
        params.chorusMix = 0.6f;
        params.delayTimeMs = 3.0f;
        params.reverbMix = 0.4f;
    }
}

TEST (FxRackOrder, AnOrderOfAllZerosRunsTheEqSevenTimesAndNothingElse)
{
    FxRack rack;
    rack.prepare (rate);
    enableEverySlot (rack);
    rack.setOrder ({ 0, 0, 0, 0, 0, 0, 0 });

    FxRack reference;
    reference.prepare (rate);
    const auto eqParams = rack.getSlotParams (FxSlot::Eq);

    const auto input = test::makeSines (2, 2048, rate);
    auto output = input, expected = input, once = input;

    test::inBlocks (output, 512, [&] (juce::AudioBuffer<float>& block, int n) { rack.process (block, n); });
    test::inBlocks (expected, 512, [&] (juce::AudioBuffer<float>& block, int n) {
        for (int k = 0; k < 7; ++k)
            reference.runSlot (FxSlot::Eq, eqParams, block, n);
    });

    FxRack single;
    single.prepare (rate);
    test::inBlocks (once, 512, [&] (juce::AudioBuffer<float>& block, int n) { single.runSlot (FxSlot::Eq, eqParams, block, n); });

    EXPECT_TRUE (bitIdentical (output, expected));
    EXPECT_FALSE (bitIdentical (output, once));
}

TEST (FxRackOrder, SlotsRunInTheGivenOrder)
{
    const FxRack::Order orders[] = { { 6, 5, 4, 3, 2, 1, 0 }, { 2, 3, 0, 6, 1, 4, 5 }, { 4, 4, 1, 6, 6, 0, 2 } };

    for (const auto& order : orders)
    {
        FxRack rack, reference;
        rack.prepare (rate);
        reference.prepare (rate);
        enableEverySlot (rack);
        rack.setOrder (order);

        const auto input = test::makeSines (2, 1024, rate);
        auto output = input, expected = input;
        test::inBlocks (output, 256, [&] (juce::AudioBuffer<float>& block, int n) { rack.process (block, n); });
        test::inBlocks (expected, 256, [&] (juce::AudioBuffer<float>& block, int n) {
            for (const int slot : order)
                reference.runSlot (static_cast<FxSlot> (slot), rack.getSlotParams (static_cast<FxSlot> (slot)), block, n);
        });

        EXPECT_TRUE (bitIdentical (output, expected)) << order[0] << order[1] << order[2];
    }
}

TEST (FxRackOrder, ADisabledSlotFreezesItsTail)
{
    FxRack rack;
    rack.prepare (rate);
    auto& delay = rack.getSlotParams (FxSlot::Delay);
    delay = enabledParams();
    delay.delayTimeMs = 10.0f; // 480 samples
    delay.delayFeedback = 0.0f;
    delay.delayMix = 1.0f;

    auto first = test::makeImpulse (2, 256);
    rack.process (first, 256);

    delay.enabled = false;
    auto whileOff = test::makeSines (2, 1000, rate);
    const auto untouched = whileOff;
    rack.process (whileOff, 1000);
    EXPECT_TRUE (bitIdentical (whileOff, untouched));

    delay.enabled = true;
    auto resumed = test::makeSignal (2, 512, [] (int, int) { return 0.0f; });
    rack.process (resumed, 512);

    // The echo still owes 480 - 256 samples when the slot comes back.
    for (int c = 0; c < 2; ++c)
    {
        EXPECT_EQ (test::indexOfPeak (resumed, c), 224);
        EXPECT_FLOAT_EQ (resumed.getSample (c, 224), 1.0f);
    }
}

//==============================================================================
// Non-finite input

struct NonFiniteCase
{
    const char* name;
    FxSlot slot;
};

class FxRackNonFinite : public ::testing::TestWithParam<NonFiniteCase>
{
};

TEST_P (FxRackNonFinite, ABadSampleActsAsSilence)
{
    auto params = enabledParams();
    params.eqLowGainDb = 6.0f;
    params.eqBellGainDb = 3.0f;
    params.eqHighGainDb = -6.0f;
    params.distMix = 1.0f;
    params.chorusMix = 1.0f;
    params.chorusFeedback = 0.9f;
    params.delayTimeMs = 2.0f;
    params.delayFeedback = 0.9f;
    params.delayMix = 1.0f;
    params.reverbMix = 1.0f;

    for (const float bad : { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity() })
    {
        FxRack withBad, withZero;
        withBad.prepare (rate);
        withZero.prepare (rate);

        // The bad sample sits in the first block; the following blocks show what it left behind.
        auto bufferWithBad = test::makeSines (2, 4096, rate);
        auto bufferWithZero = bufferWithBad;
        for (int c = 0; c < 2; ++c)
        {
            bufferWithBad.setSample (c, 100, bad);
            bufferWithZero.setSample (c, 100, 0.0f);
        }

        runSlotInBlocks (withBad, GetParam().slot, params, bufferWithBad);
        runSlotInBlocks (withZero, GetParam().slot, params, bufferWithZero);

        EXPECT_TRUE (allFinite (bufferWithBad)) << bad;
        EXPECT_TRUE (bitIdentical (bufferWithBad, bufferWithZero)) << bad;
        EXPECT_GT (test::rms (bufferWithBad.getReadPointer (0) + 3000, 1096), 0.01) << "the effect went silent after " << bad;
    }
}

INSTANTIATE_TEST_SUITE_P (Slots, FxRackNonFinite,
                          ::testing::Values (NonFiniteCase { "Eq", FxSlot::Eq },
                                             NonFiniteCase { "Comp", FxSlot::Comp },
                                             NonFiniteCase { "Dist", FxSlot::Dist },
                                             NonFiniteCase { "Chor", FxSlot::Chor },
                                             NonFiniteCase { "Delay", FxSlot::Delay },
                                             NonFiniteCase { "Rev", FxSlot::Rev }),
                          test::NameFromField {});

} // namespace
