#include "engine/OutputStage.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

using namespace halvo;

juce::AudioBuffer<float> filledBuffer (int channels, int samples, float value)
{
    juce::AudioBuffer<float> buffer (channels, samples);
    for (int c = 0; c < channels; ++c)
        juce::FloatVectorOperations::fill (buffer.getWritePointer (c), value, samples);
    return buffer;
}

TEST (OutputStage, SoftClipCurve)
{
    const float headroom = 0.0199999809f;
    struct Case
    {
        float in;
        float expected;
    };
    const Case cases[] = {
        { 0.0f, 0.0f },
        { 0.5f, 0.5f },
        { 0.98f, 0.98f },
        { -0.98f, -0.98f },
        { 1.5f, 0.98f + headroom * std::tanh (0.52f) },
        { -1.5f, -(0.98f + headroom * std::tanh (0.52f)) },
        { 1000.0f, 0.98f + headroom * std::tanh (999.02f) },
    };

    for (const auto& c : cases)
        EXPECT_FLOAT_EQ (output::softClipSample (c.in), c.expected) << "input " << c.in;

    EXPECT_NEAR (output::softClipSample (1.5f), 0.98955f, 1.0e-5f);
    EXPECT_LE (output::softClipSample (1.0e30f), 1.0f);
}

TEST (OutputStage, NonFiniteSamplesNeverReachTheDevice)
{
    for (const float bad : { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity() })
        EXPECT_EQ (output::softClipSample (bad), 0.0f);
}

TEST (OutputStage, MasterGainAtMinus60IsExactSilence)
{
    auto buffer = filledBuffer (2, 64, 1.0f);
    buffer.setSample (1, 3, std::numeric_limits<float>::quiet_NaN());

    output::applyMasterGain (buffer, 64, -60.0f);

    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < 64; ++i)
            ASSERT_EQ (buffer.getSample (c, i), 0.0f);
}

TEST (OutputStage, MasterGainScalesByDecibels)
{
    EXPECT_FLOAT_EQ (output::masterGainFactor (0.0f), 1.0f);
    EXPECT_NEAR (output::masterGainFactor (-6.0f), 0.501187f, 1.0e-6f);
    EXPECT_NEAR (output::masterGainFactor (12.0f), 3.981072f, 1.0e-5f);
    EXPECT_EQ (output::masterGainFactor (-60.0f), 0.0f);
    EXPECT_GT (output::masterGainFactor (-59.99f), 0.0f);
}

TEST (OutputStage, FullScaleAtPlus12IsHeldBelowOne)
{
    auto buffer = filledBuffer (2, 32, -1.0f);
    buffer.setSample (0, 0, 1.0f);

    output::applyMasterGain (buffer, 32, 12.0f);
    output::applySoftClip (buffer, 32);

    const float peak = output::peakOf (buffer, 32);
    EXPECT_LT (peak, 1.0f);
    EXPECT_GT (peak, 0.98f);
    EXPECT_GT (buffer.getSample (0, 0), 0.98f);
    EXPECT_LT (buffer.getSample (1, 31), -0.98f);
}

TEST (OutputStage, PeakCoversAllChannelsAndOnlyTheBlock)
{
    juce::AudioBuffer<float> buffer (2, 16);
    buffer.clear();
    buffer.setSample (1, 7, -0.75f);
    buffer.setSample (0, 12, 0.9f); // outside the first 10 samples

    EXPECT_FLOAT_EQ (output::peakOf (buffer, 10), 0.75f);
    EXPECT_FLOAT_EQ (output::peakOf (buffer, 16), 0.9f);
    EXPECT_EQ (output::peakOf (buffer, 0), 0.0f);

    juce::AudioBuffer<float> noChannels (0, 16);
    EXPECT_EQ (output::peakOf (noChannels, 16), 0.0f);
}

} // namespace
