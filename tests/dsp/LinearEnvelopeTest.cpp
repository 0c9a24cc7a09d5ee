#include "dsp/LinearEnvelope.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{

using halvo::LinearEnvelope;

/** Steps until the stage changes (or a limit is reached) and returns the samples taken. */
int samplesUntilStageLeaves (LinearEnvelope& envelope, int stage, int limit = 1 << 22)
{
    int samples = 0;
    while (envelope.getStage() == stage && samples < limit)
    {
        envelope.step();
        ++samples;
    }
    return samples;
}

struct SegmentCase
{
    double sampleRate;
    float attack, decay, sustain;
    int attackSamples, decaySamples;
};

class LinearEnvelopeSegments : public ::testing::TestWithParam<SegmentCase> {};

TEST_P (LinearEnvelopeSegments, AttackAndDecayTakeTheirTimes)
{
    const auto& c = GetParam();
    LinearEnvelope envelope;
    envelope.setSampleRate (c.sampleRate);
    envelope.setParameters (c.attack, c.decay, c.sustain, 0.1f);
    envelope.noteOn();

    // The level is summed in float, so long segments drift by a few samples in ten thousand.
    const auto tolerance = [] (int samples) { return std::max (1.0, 1.0e-3 * samples); };
    EXPECT_NEAR (samplesUntilStageLeaves (envelope, LinearEnvelope::attack), c.attackSamples, tolerance (c.attackSamples));
    EXPECT_FLOAT_EQ (envelope.getLevel(), 1.0f);
    EXPECT_NEAR (samplesUntilStageLeaves (envelope, LinearEnvelope::decay), c.decaySamples, tolerance (c.decaySamples));
    EXPECT_FLOAT_EQ (envelope.getLevel(), c.sustain);
    EXPECT_EQ (envelope.getStage(), c.sustain > 0.0f ? LinearEnvelope::sustain : LinearEnvelope::idle);
}

INSTANTIATE_TEST_SUITE_P (Timings, LinearEnvelopeSegments, ::testing::Values (
    SegmentCase { 48000.0, 0.01f, 0.1f, 0.5f, 480, 4800 },
    SegmentCase { 44100.0, 0.005f, 0.15f, 0.8f, 221, 6615 },
    SegmentCase { 48000.0, 0.0f, 0.0f, 0.25f, 1, 1 },    // segments of no length take one sample
    SegmentCase { 48000.0, 0.001f, 0.02f, 0.0f, 48, 960 } // sustain 0: the decay ends the note
));

TEST (LinearEnvelope, SustainOneHoldsAfterTheAttack)
{
    LinearEnvelope envelope;
    envelope.setSampleRate (1000.0);
    envelope.setParameters (0.01f, 0.5f, 1.0f, 0.1f);
    envelope.noteOn();
    envelope.advance (12);
    EXPECT_EQ (envelope.getStage(), LinearEnvelope::sustain);
    EXPECT_FLOAT_EQ (envelope.getLevel(), 1.0f);
}

TEST (LinearEnvelope, ReleaseRunsFromTheLevelReachedAtTheReleaseRate)
{
    LinearEnvelope envelope;
    envelope.setSampleRate (48000.0);
    envelope.setParameters (0.1f, 0.1f, 0.8f, 0.5f);
    envelope.noteOn();
    envelope.advance (1200); // a quarter of the attack
    const float reached = envelope.getLevel();
    ASSERT_NEAR (reached, 0.25f, 1.0e-3f);

    envelope.noteOff();
    EXPECT_EQ (envelope.getStage(), LinearEnvelope::release);
    envelope.step();
    EXPECT_NEAR (reached - envelope.getLevel(), 1.0f / (0.5f * 48000.0f), 1.0e-7f);

    // A quarter of the level at the release rate takes a quarter of the release time.
    EXPECT_NEAR (samplesUntilStageLeaves (envelope, LinearEnvelope::release) + 1, 0.25 * 0.5 * 48000.0, 2.0);
    EXPECT_TRUE (envelope.isIdle());
    EXPECT_EQ (envelope.getLevel(), 0.0f);
}

TEST (LinearEnvelope, NoteOffLeavesAnIdleEnvelopeIdle)
{
    LinearEnvelope envelope;
    envelope.noteOff();
    EXPECT_TRUE (envelope.isIdle());
    EXPECT_EQ (envelope.step(), 0.0f);
}

TEST (LinearEnvelope, RatesFollowParameterChangesAndClampTheSustain)
{
    LinearEnvelope envelope;
    envelope.setSampleRate (48000.0);
    envelope.setParameters (1.0f, 2.0f, 1.5f, 4.0f);
    EXPECT_FLOAT_EQ (envelope.getAttackRate(), 1.0f / 48000.0f);
    EXPECT_FLOAT_EQ (envelope.getDecayRate(), 0.0f); // sustain clamped to 1: nothing to decay
    EXPECT_FLOAT_EQ (envelope.getReleaseRate(), 1.0f / 192000.0f);

    envelope.setParameters (1.0f, 2.0f, -0.5f, 4.0f);
    EXPECT_FLOAT_EQ (envelope.getDecayRate(), 1.0f / 96000.0f);

    envelope.setSampleRate (0.0);
    EXPECT_FLOAT_EQ (envelope.getAttackRate(), 1.0f);
}

} // namespace
