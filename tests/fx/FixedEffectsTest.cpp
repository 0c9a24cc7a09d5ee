#include "fx/EffectsSection.h"

#include "fx/FxTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

using namespace halvo;
using halvo::test::bitIdentical;

/** A parameter tree and the effects that read it, prepared at one rate. */
struct FixedEffectsRig
{
    explicit FixedEffectsRig (double sampleRate = 48000.0)
    {
        effects.prepare (sampleRate);
    }

    void process (juce::AudioBuffer<float>& buffer, int blockSize = 512)
    {
        test::inBlocks (buffer, blockSize, [this] (juce::AudioBuffer<float>& block, int n) { effects.processFixedEffects (block, n); });
    }

    test::ParameterHost host;
    EffectsSection effects { host.parameters };
};

TEST (FixedEffects, InaudibleMixesLeaveTheBufferBitIdentical)
{
    struct Case
    {
        float driveMix, delayMix;
    };
    const Case cases[] = { { 0.0f, 0.0f }, { 1.0e-4f, 1.0e-4f }, { -0.5f, -2.0f } };

    for (const auto& c : cases)
    {
        for (const int channels : { 1, 2, 3 })
        {
            FixedEffectsRig rig;
            rig.host.set ("fxDriveAmt", 24.0f);
            rig.host.set ("fxDelayTime", 5.0f);
            rig.host.set ("fxDelayFeedback", 0.9f);
            rig.host.setRaw ("fxDriveMix", c.driveMix);
            rig.host.setRaw ("fxDelayMix", c.delayMix);

            const auto input = test::makeSines (channels, 1536, 48000.0);
            auto output = input;
            rig.process (output);
            EXPECT_TRUE (bitIdentical (output, input)) << "mixes " << c.driveMix << ", " << c.delayMix << " on " << channels << " channels";
        }
    }
}

TEST (FixedEffects, DriveBendsEveryChannelAndKeepsFullScale)
{
    struct Case
    {
        float rawDrive, usedDrive, mix;
    };
    const Case cases[] = {
        { 1.0f, 1.0f, 1.0f },
        { 4.0f, 4.0f, 1.0f },
        { 24.0f, 24.0f, 1.0f },
        { 6.0f, 6.0f, 0.25f },
        { 0.5f, 1.0f, 1.0f },   // below the range: 1
        { 100.0f, 24.0f, 1.0f }, // above the range: 24
    };

    for (const auto& c : cases)
    {
        FixedEffectsRig rig;
        rig.host.setRaw ("fxDriveAmt", c.rawDrive);
        rig.host.setRaw ("fxDriveMix", c.mix);

        const auto input = test::makeSignal (3, 301, [] (int ch, int i) { return (-1.5f + 0.01f * (float) i) * (ch == 1 ? -1.0f : 1.0f); });
        auto output = input;
        rig.process (output, 128);

        const double normaliser = std::tanh ((double) c.usedDrive);
        for (int ch = 0; ch < 3; ++ch)
        {
            for (int i = 0; i < input.getNumSamples(); ++i)
            {
                const double x = input.getSample (ch, i);
                const double shaped = std::tanh (c.usedDrive * x) / normaliser;
                ASSERT_NEAR (output.getSample (ch, i), x + (shaped - x) * c.mix, 2.0e-6) << "drive " << c.rawDrive << " channel " << ch << " x " << x;
            }
        }

        // Full scale stays at full scale whatever the drive (x = 1 is sample 250 of channel 0).
        if (c.mix == 1.0f)
            EXPECT_NEAR (output.getSample (0, 250), 1.0f, 1.0e-6f);
    }
}

TEST (FixedEffects, TheDriveRunsBeforeTheDelay)
{
    FixedEffectsRig rig;
    rig.host.set ("fxDriveAmt", 4.0f);
    rig.host.set ("fxDriveMix", 1.0f);
    rig.host.set ("fxDelayTime", 10.0f);
    rig.host.set ("fxDelayFeedback", 0.0f);
    rig.host.set ("fxDelayMix", 0.5f);

    auto buffer = test::makeImpulse (2, 1024, 0.5f);
    rig.process (buffer);

    // Driven first, the echo is half the driven impulse; delayed first, it would be the driven
    // half-height echo, tanh(1) / tanh(4) = 0.763.
    const float driven = std::tanh (2.0f) / std::tanh (4.0f);
    EXPECT_NEAR (buffer.getSample (0, 480), 0.5f * driven, 1.0e-6f);
    EXPECT_NEAR (buffer.getSample (1, 480), 0.5f * driven, 1.0e-6f);
}

TEST (FixedEffects, DelayTimeAndFeedbackFollowTheParameters)
{
    struct Case
    {
        double sampleRate;
        float timeMs, feedback;
        int expectedDelay;
        float expectedRepeat;
    };
    const Case cases[] = {
        { 48000.0, 350.0f, 0.35f, 16800, 0.35f },
        { 48000.0, 1000.0f, 0.5f, 47999, 0.5f }, // one second of line holds at most 47999 samples of delay
        { 44100.0, 1.0f, 0.0f, 44, 0.0f },
        { 44100.0, 5000.0f, 2.0f, 44099, 0.95f }, // raw values beyond the ranges
        { 96000.0, 0.0f, -1.0f, 96, 0.0f },
    };

    for (const auto& c : cases)
    {
        FixedEffectsRig rig (c.sampleRate);
        rig.host.setRaw ("fxDelayTime", c.timeMs);
        rig.host.setRaw ("fxDelayFeedback", c.feedback);
        rig.host.set ("fxDelayMix", 1.0f);

        auto buffer = test::makeImpulse (2, 2 * c.expectedDelay + 8);
        rig.process (buffer);

        EXPECT_EQ (rig.effects.getFixedDelay().getDelaySamples(), c.expectedDelay) << c.timeMs << " ms";
        for (int ch = 0; ch < 2; ++ch)
        {
            EXPECT_EQ (test::indexOfPeak (buffer, ch), c.expectedDelay) << c.timeMs << " ms";
            EXPECT_FLOAT_EQ (buffer.getSample (ch, c.expectedDelay), 1.0f);
            EXPECT_FLOAT_EQ (buffer.getSample (ch, 2 * c.expectedDelay), c.expectedRepeat);
        }
    }
}

TEST (FixedEffects, OneChannelIsDrivenAndDelayed)
{
    FixedEffectsRig rig;
    rig.host.set ("fxDriveAmt", 2.0f);
    rig.host.set ("fxDriveMix", 1.0f);
    rig.host.set ("fxDelayTime", 2.0f);
    rig.host.set ("fxDelayMix", 1.0f);
    rig.host.set ("fxDelayFeedback", 0.0f);

    auto buffer = test::makeImpulse (1, 200, 0.25f);
    rig.process (buffer, 64);

    EXPECT_EQ (test::indexOfPeak (buffer, 0), 96);
    EXPECT_NEAR (buffer.getSample (0, 96), std::tanh (0.5f) / std::tanh (2.0f), 1.0e-6f);
}

TEST (FixedEffects, ARateThatIsNotPositiveIsTakenAs44k)
{
    for (const double badRate : { 0.0, -48000.0, std::numeric_limits<double>::quiet_NaN() })
    {
        FixedEffectsRig rig (badRate);
        EXPECT_EQ (rig.effects.getSampleRate(), 44100.0);
        EXPECT_EQ (rig.effects.getFixedDelay().getBufferLength(), 44100);
        EXPECT_EQ (rig.effects.getRack().getReverb().getCombLength (0, 0), 1116);
    }
}

} // namespace
