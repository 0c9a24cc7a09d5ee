#include "support/SignalAnalysis.h"
#include "support/TestNames.h"
#include "voice/UnisonEngine.h"
#include "wavetable/SharedWavetables.h"

#include <gtest/gtest.h>

namespace
{

using halvo::UnisonEngine;
using halvo::SharedWavetables;
using halvo::WaveShape;

constexpr double sampleRate = 48000.0;

UnisonEngine makeEngine (int count, float detune, float width, bool tableMode = false)
{
    const auto& tables = SharedWavetables::instance();
    UnisonEngine engine;
    engine.prepare (sampleRate);

    UnisonEngine::Settings settings;
    settings.shapeTable = &tables.bank.get (WaveShape::Sine);
    settings.morphTable = tableMode ? &tables.library.get (2) : nullptr; // "Basic Sine"
    settings.unisonCount = count;
    settings.detuneCents = detune;
    settings.width = width;
    engine.configure (settings);
    engine.startNote();
    return engine;
}

TEST (UnisonEngine, OneCopyIsCentredAtTheExactPitchWithoutLoss)
{
    auto engine = makeEngine (1, 50.0f, 1.0f);
    engine.setFrequency (440.0);

    EXPECT_FLOAT_EQ (engine.getIncrement (0), (float) (440.0 / sampleRate * 2048.0));
    EXPECT_FLOAT_EQ (engine.getPanLeft (0), std::cos (juce::MathConstants<float>::pi / 4.0f));
    EXPECT_FLOAT_EQ (engine.getPanRight (0), engine.getPanLeft (0));

    // A full-scale sine comes out at cos(pi/4) per side: no 1/sqrt(n) scaling with one copy.
    std::vector<float> left (4800);
    for (auto& sample : left)
        sample = engine.processSample (0.0f).left;
    EXPECT_NEAR (halvo::test::peak (left.data(), (int) left.size()), std::cos (juce::MathConstants<float>::pi / 4.0f), 1.0e-3f);
    EXPECT_NEAR (halvo::test::frequencyFromZeroCrossings (left.data(), (int) left.size(), sampleRate), 440.0, 0.01);
}

TEST (UnisonEngine, SixteenCopiesSpreadEvenlyAcrossTheDetune)
{
    auto engine = makeEngine (16, 100.0f, 1.0f);
    engine.setFrequency (440.0);

    for (int j = 0; j < 16; ++j)
    {
        const double expectedCents = -100.0 + 200.0 * j / 15.0; // -100, -86.67, ..., +100
        const double cents = 1200.0 * std::log2 (engine.getIncrement (j) / (440.0 / sampleRate * 2048.0));
        EXPECT_NEAR (cents, expectedCents, 1.0e-3) << "copy " << j;

        // Constant power, copy 0 hard left, copy 15 hard right.
        EXPECT_NEAR (engine.getPanLeft (j) * engine.getPanLeft (j) + engine.getPanRight (j) * engine.getPanRight (j), 1.0f, 1.0e-6f);
    }

    EXPECT_NEAR (engine.getPanLeft (0), 1.0f, 1.0e-6f);
    EXPECT_NEAR (engine.getPanRight (0), 0.0f, 1.0e-6f);
    EXPECT_NEAR (engine.getPanLeft (15), 0.0f, 1.0e-6f);
    EXPECT_NEAR (engine.getPanRight (15), 1.0f, 1.0e-6f);
}

TEST (UnisonEngine, WidthZeroCentresEveryCopyAndTheOutputIsScaledByRootCount)
{
    // With no detune and no width the sixteen copies differ only in start phase, so a single
    // copy's level tells what the sum must be.
    auto spread = makeEngine (16, 0.0f, 0.0f);
    for (int j = 0; j < 16; ++j)
        EXPECT_FLOAT_EQ (spread.getPanLeft (j), spread.getPanRight (j)) << j;

    spread.setFrequency (1000.0);
    float left = 0.0f, right = 0.0f;
    for (int i = 0; i < 100; ++i)
    {
        const auto s = spread.processSample (0.0f);
        left = s.left;
        right = s.right;
    }
    EXPECT_FLOAT_EQ (left, right);
}

TEST (UnisonEngine, ChangingTheCountTakesEffectAtTheNextConfigure)
{
    auto engine = makeEngine (1, 0.0f, 0.0f);
    const auto& tables = SharedWavetables::instance();
    UnisonEngine::Settings settings;
    settings.shapeTable = &tables.bank.get (WaveShape::Saw);
    settings.unisonCount = 40;
    settings.detuneCents = 500.0f;
    settings.width = 3.0f;
    engine.configure (settings);
    EXPECT_EQ (engine.getUnisonCount(), 16);

    engine.setFrequency (440.0);
    EXPECT_NEAR (1200.0 * std::log2 (engine.getIncrement (15) / (440.0 / sampleRate * 2048.0)), 100.0, 1.0e-3);
    EXPECT_NEAR (engine.getPanRight (15), 1.0f, 1.0e-6f);
}

TEST (UnisonEngine, BandLimitLevelFollowsEachCopysFrequency)
{
    auto engine = makeEngine (2, 100.0f, 0.0f);
    engine.setFrequency (1000.0);
    EXPECT_EQ (engine.getLevel (0), halvo::Wavetable::levelForFrequency (1000.0 * std::exp2 (-100.0 / 1200.0), sampleRate));
    EXPECT_EQ (engine.getLevel (1), halvo::Wavetable::levelForFrequency (1000.0 * std::exp2 (100.0 / 1200.0), sampleRate));
}

struct WarpCase
{
    const char* name;
    int mode;
    float amount;
    float x;
    float expected;
};

class UnisonWarp : public ::testing::TestWithParam<WarpCase> {};

TEST_P (UnisonWarp, MapsThePhase)
{
    const auto& c = GetParam();
    EXPECT_NEAR (UnisonEngine::warpPhase (c.x, c.mode, c.amount), c.expected, 1.0e-5f) << c.name;
}

INSTANTIATE_TEST_SUITE_P (Modes, UnisonWarp, ::testing::Values (
    WarpCase { "off", UnisonEngine::warpOff, 1.0f, 0.3f, 0.3f },
    WarpCase { "below threshold", UnisonEngine::warpBend, 1.0e-4f, 0.3f, 0.3f },
    WarpCase { "unknown mode", 9, 1.0f, 0.3f, 0.3f },
    WarpCase { "bend", UnisonEngine::warpBend, 1.0f, 0.5f, 0.0625f },           // x^4
    WarpCase { "bend half", UnisonEngine::warpBend, 0.5f, 0.5f, std::pow (0.5f, 2.5f) },
    WarpCase { "pwm first half in 5%", UnisonEngine::warpPwm, 1.0f, 0.05f, 0.5f },
    WarpCase { "pwm early", UnisonEngine::warpPwm, 1.0f, 0.025f, 0.25f },
    WarpCase { "pwm late", UnisonEngine::warpPwm, 1.0f, 0.525f, 0.75f },
    WarpCase { "sync four times", UnisonEngine::warpSync, 1.0f, 0.3f, 0.2f },    // frac(1.2)
    WarpCase { "sync end", UnisonEngine::warpSync, 1.0f, 0.99f, 0.96f },
    WarpCase { "mirror full", UnisonEngine::warpMirror, 1.0f, 0.75f, 0.5f },     // 2 * 0.25
    WarpCase { "mirror first half", UnisonEngine::warpMirror, 1.0f, 0.25f, 0.5f },
    WarpCase { "mirror half", UnisonEngine::warpMirror, 0.5f, 0.75f, 0.625f },
    WarpCase { "fold small forward", UnisonEngine::warpFold, 2.0e-4f, 0.2f, 0.40016f },   // 2x
    WarpCase { "fold small backward", UnisonEngine::warpFold, 2.0e-4f, 0.8f, 0.39936f }, // 2 - 2x
    WarpCase { "fold full", UnisonEngine::warpFold, 1.0f, 0.2f, 0.8f }           // u = 0.6
), halvo::test::NameFromField());

TEST (UnisonEngine, TableModeFollowsTheMorphPositionAndPhaseOffset)
{
    const auto& tables = SharedWavetables::instance();
    auto engine = makeEngine (1, 0.0f, 0.0f, true);
    ASSERT_TRUE (engine.isTableMode());
    engine.setFrequency (sampleRate / 2048.0 * 4.0); // four table samples per output sample

    // A quarter-cycle phase offset turns the sine into a cosine.
    const auto first = engine.processSample (0.25f);
    const float expected = tables.library.get (2).lookupMorphed (0.0f, engine.getLevel (0), 512.0f);
    EXPECT_NEAR (first.left / std::cos (juce::MathConstants<float>::pi / 4.0f), expected, 1.0e-6f);
    EXPECT_NEAR (expected, 1.0f, 1.0e-3f);
}

TEST (UnisonEngine, BankModeIgnoresThePhaseOffset)
{
    auto withOffset = makeEngine (3, 20.0f, 0.5f);
    auto without = makeEngine (3, 20.0f, 0.5f);
    withOffset.setFrequency (330.0);
    without.setFrequency (330.0);

    for (int i = 0; i < 1000; ++i)
    {
        const auto a = withOffset.processSample (0.37f);
        const auto b = without.processSample (0.0f);
        ASSERT_EQ (a.left, b.left) << i;
        ASSERT_EQ (a.right, b.right) << i;
    }
}

} // namespace
