#include "support/SignalAnalysis.h"
#include "voice/CapturePlayer.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

using halvo::CaptureEngine;
using halvo::CapturePlayer;

constexpr double pi = 3.14159265358979323846;

/** An engine holding a sine cycle and the given grain sound. */
struct EngineWithSound
{
    explicit EngineWithSound (std::vector<float> sound, double soundRate = 48000.0, float root = 200.0f)
    {
        std::vector<float> cycle (2048);
        for (int i = 0; i < 2048; ++i)
            cycle[(size_t) i] = (float) std::sin (2.0 * pi * i / 2048.0);
        engine.publishAnalysis (cycle.data(), sound, soundRate, root, 1.0f);
    }

    CaptureEngine engine;
};

/** A player at the rate, started on a note with the engine's sound adopted, as a voice does it. */
CapturePlayer playerFor (const CaptureEngine& engine, double sampleRate = 48000.0)
{
    CapturePlayer player;
    player.prepare (sampleRate);
    player.startNote (&engine);
    player.adopt (&engine);
    return player;
}

std::vector<float> sineSound (int length, double frequency, double rate)
{
    std::vector<float> sound ((size_t) length);
    for (int i = 0; i < length; ++i)
        sound[(size_t) i] = (float) std::sin (2.0 * pi * frequency * i / rate);
    return sound;
}

struct GrainLengthCase
{
    double sampleRate;
    int length;
};

class CaptureGrainLength : public ::testing::TestWithParam<GrainLengthCase> {};

TEST_P (CaptureGrainLength, IsFiftyMillisecondsWithinLimits)
{
    CapturePlayer player;
    player.prepare (GetParam().sampleRate);
    EXPECT_EQ (player.getGrainLength(), GetParam().length);
    EXPECT_EQ (player.getGrainHop(), GetParam().length / 2);
}

INSTANTIATE_TEST_SUITE_P (Rates, CaptureGrainLength, ::testing::Values (
    GrainLengthCase { 48000.0, 2400 }, GrainLengthCase { 44100.0, 2205 }, GrainLengthCase { 4000.0, 256 },
    GrainLengthCase { 5120.0, 256 }, GrainLengthCase { 1000000.0, 8192 }));

TEST (CapturePlayer, WithoutASoundEveryModeIsSilent)
{
    CaptureEngine empty;
    auto player = playerFor (empty);
    player.setPitch (261.6, 1.0f);

    for (int i = 0; i < 100; ++i)
    {
        ASSERT_EQ (player.nextCycleSample(), 0.0f);
        ASSERT_EQ (player.nextGrainSample(), 0.0f);
    }
}

TEST (CapturePlayer, SourcesShorterThanSixtyFourSamplesAreSilent)
{
    EngineWithSound held (std::vector<float> (63, 1.0f));
    auto player = playerFor (held.engine);

    for (int i = 0; i < 3000; ++i)
        ASSERT_EQ (player.nextGrainSample(), 0.0f);
}

TEST (CapturePlayer, FirstGrainStartsAtTheFirstSampleAndGrainsOverlapEvenly)
{
    // A constant source shows the windows themselves: two Hann windows half a grain apart
    // add up to 1 once the second grain is running.
    EngineWithSound held (std::vector<float> (4800, 1.0f));
    auto player = playerFor (held.engine);
    player.setPitch (200.0, 1.0f);

    const int length = player.getGrainLength();
    std::vector<float> out ((size_t) (3 * length));
    for (auto& sample : out)
        sample = player.nextGrainSample();

    EXPECT_EQ (out[0], 0.0f); // the window starts at 0
    EXPECT_NEAR (out[1], 0.5 * (1.0 - std::cos (2.0 * pi / length)), 1.0e-6);
    EXPECT_NEAR (out[(size_t) length / 2], 1.0f, 1.0e-5f);
    for (int i = length; i < 3 * length; ++i)
        ASSERT_NEAR (out[(size_t) i], 1.0f, 1.0e-4f) << i;
}

TEST (CapturePlayer, GrainsFollowThePitchWhileThePlayHeadKeepsTheSoundsSpeed)
{
    constexpr double rate = 48000.0;
    // 320 Hz keeps successive grains in phase (a whole number of cycles per hop).
    EngineWithSound held (sineSound (48000, 320.0, rate), rate);
    auto player = playerFor (held.engine, rate);
    player.setPitch (400.0, 2.0f); // note 72 against a root at note 60

    std::vector<float> out (24000);
    for (auto& sample : out)
        sample = player.nextGrainSample();

    EXPECT_NEAR (player.getPlayHead(), 24000.0, 1.0e-6);
    const int skip = 2 * player.getGrainLength();
    const int n = (int) out.size() - skip;
    EXPECT_GT (halvo::test::amplitudeAt (out.data() + skip, n, 640.0, rate), 0.5);
    EXPECT_LT (halvo::test::amplitudeAt (out.data() + skip, n, 320.0, rate), 0.05);
}

TEST (CapturePlayer, ASoundAtAnotherRateIsReadAtItsOwnSpeed)
{
    EngineWithSound held (sineSound (24000, 320.0, 24000.0), 24000.0);
    auto player = playerFor (held.engine);
    player.setPitch (200.0, 1.0f);

    std::vector<float> out (30000);
    for (auto& sample : out)
        sample = player.nextGrainSample();

    // 30000 output samples at half the source's speed: 15000 source samples in.
    EXPECT_NEAR (player.getPlayHead(), 15000.0, 1.0e-6);
    const int skip = 2 * player.getGrainLength();
    EXPECT_GT (halvo::test::amplitudeAt (out.data() + skip, (int) out.size() - skip, 320.0, 48000.0), 0.5);
}

TEST (CapturePlayer, CycleModePlaysTheCapturedCycleAtTheGivenFrequency)
{
    EngineWithSound held (std::vector<float> (100, 0.0f));
    CapturePlayer player;
    player.prepare (48000.0);
    player.startNote (&held.engine);
    EXPECT_FALSE (player.adopt (&held.engine)); // the same cycle as at note start
    player.setPitch (523.25, 2.0f);

    std::vector<float> out (48000);
    for (auto& sample : out)
        sample = player.nextCycleSample();
    EXPECT_NEAR (halvo::test::frequencyFromZeroCrossings (out.data(), (int) out.size(), 48000.0), 523.25, 0.05);
}

TEST (CapturePlayer, AdoptReportsANewCycleAndDropsAClearedOne)
{
    EngineWithSound held (std::vector<float> (100, 0.0f));
    CapturePlayer player;
    player.prepare (48000.0);
    CaptureEngine empty;
    player.startNote (&empty);
    EXPECT_EQ (player.getCycle(), nullptr);

    EXPECT_TRUE (player.adopt (&held.engine));
    EXPECT_EQ (player.getCycle(), held.engine.getCurrentWavetable());

    held.engine.clear();
    EXPECT_TRUE (player.adopt (&held.engine));
    EXPECT_EQ (player.getCycle(), nullptr);
    EXPECT_EQ (player.nextGrainSample(), 0.0f);
}

} // namespace
