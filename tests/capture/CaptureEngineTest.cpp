#include "capture/CaptureEngine.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

using halvo::CaptureEngine;

std::vector<float> sineCycle()
{
    std::vector<float> cycle (2048);
    for (int i = 0; i < 2048; ++i)
        cycle[(size_t) i] = (float) std::sin (2.0 * 3.14159265358979323846 * i / 2048.0);
    return cycle;
}

TEST (CaptureEngine, StartsEmptyAtMiddleC)
{
    const CaptureEngine engine;
    EXPECT_FALSE (engine.hasData());
    EXPECT_EQ (engine.getCurrentGrainSource(), nullptr);
    EXPECT_FLOAT_EQ (engine.getRootFrequency(), 261.62576f);
    EXPECT_EQ (engine.getConfidence(), 0.0f);
}

TEST (CaptureEngine, PublicationsNeverReuseTheCurrentOrPreviousSlot)
{
    CaptureEngine engine;
    const auto cycle = sineCycle();
    const std::vector<float> sound (1000, 0.25f);

    std::vector<const halvo::Wavetable*> published;
    for (int expectedSlot : { 1, 2, 0, 1 })
    {
        EXPECT_EQ (engine.getNextSlot(), expectedSlot);
        engine.publishAnalysis (cycle.data(), sound, 48000.0, 220.0f, 1.0f);
        EXPECT_EQ (engine.getCurrentSlot(), expectedSlot);
        published.push_back (engine.getCurrentWavetable());
    }

    EXPECT_NE (published[0], published[1]);
    EXPECT_NE (published[1], published[2]);
    EXPECT_NE (published[0], published[2]);
    EXPECT_EQ (published[0], published[3]);
}

TEST (CaptureEngine, PublicationMakesTheSoundPlayable)
{
    CaptureEngine engine;
    const auto cycle = sineCycle();
    const std::vector<float> sound { 0.1f, -0.2f, 0.3f };
    engine.publishAnalysis (cycle.data(), sound, 22050.0, 330.0f, 0.5f);

    ASSERT_TRUE (engine.hasData());
    ASSERT_NE (engine.getCurrentGrainSource(), nullptr);
    EXPECT_EQ (engine.getCurrentGrainSource()->samples, sound);
    EXPECT_EQ (engine.getCurrentGrainSource()->sampleRate, 22050.0);
    EXPECT_FLOAT_EQ (engine.getRootFrequency(), 330.0f);
    EXPECT_FLOAT_EQ (engine.getConfidence(), 0.5f);
    // The cycle arrives band-limited: level 10 of a sine is the sine itself.
    EXPECT_NEAR (engine.getCurrentWavetable()->getLevel (10)[512], 1.0f, 1.0e-5f);
}

TEST (CaptureEngine, RootFrequencyIsClamped)
{
    CaptureEngine engine;
    const auto cycle = sineCycle();
    engine.publishAnalysis (cycle.data(), {}, 48000.0, 5.0f, 1.0f);
    EXPECT_FLOAT_EQ (engine.getRootFrequency(), 20.0f);
    engine.publishAnalysis (cycle.data(), {}, 48000.0, 12000.0f, 1.0f);
    EXPECT_FLOAT_EQ (engine.getRootFrequency(), 8000.0f);
}

TEST (CaptureEngine, ClearForgetsTheSoundButKeepsTheTables)
{
    CaptureEngine engine;
    const auto cycle = sineCycle();
    engine.publishAnalysis (cycle.data(), std::vector<float> (100, 0.5f), 48000.0, 440.0f, 1.0f);
    const auto* wavetable = engine.getCurrentWavetable();

    engine.clear();
    EXPECT_FALSE (engine.hasData());
    EXPECT_EQ (engine.getCurrentGrainSource(), nullptr);
    EXPECT_FLOAT_EQ (engine.getRootFrequency(), 261.62576f);
    EXPECT_EQ (engine.getConfidence(), 0.0f);
    // A voice may still be reading the cycle during this block.
    EXPECT_EQ (engine.getCurrentWavetable(), wavetable);
    EXPECT_NEAR (wavetable->getLevel (10)[512], 1.0f, 1.0e-5f);
}

} // namespace
