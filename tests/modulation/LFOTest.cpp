#include "modulation/LFO.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace
{

using halvo::LFO;

/** The value of a 1 Hz LFO after one block that ends at a cycle position. At 1024 Hz every
    position used here is exact; position 0 is reached by a whole cycle. */
float valueAt (int shape, double position, float offset = 0.0f)
{
    LFO lfo;
    lfo.prepare (1024.0);
    lfo.setShape (shape);
    lfo.setPhaseOffset (offset);
    lfo.setRate (1.0f);
    lfo.processBlock (position > 0.0 ? (int) std::lround (position * 1024.0) : 1024);
    return lfo.getValue();
}

struct ShapeCase
{
    int shape;
    double position;
    float expected;
};

class LfoShapes : public ::testing::TestWithParam<ShapeCase> {};

TEST_P (LfoShapes, ValueAtKnownPhases)
{
    const auto& c = GetParam();
    EXPECT_NEAR (valueAt (c.shape, c.position), c.expected, 1.0e-5f) << "shape " << c.shape << " at " << c.position;
}

INSTANTIATE_TEST_SUITE_P (Table, LfoShapes, ::testing::Values (
    ShapeCase { LFO::sine, 0.25, 1.0f },       ShapeCase { LFO::sine, 0.75, -1.0f },
    ShapeCase { LFO::triangle, 0.0, -1.0f },   ShapeCase { LFO::triangle, 0.5, 1.0f },
    ShapeCase { LFO::triangle, 0.25, 0.0f },   ShapeCase { LFO::saw, 0.0, -1.0f },
    ShapeCase { LFO::saw, 0.75, 0.5f },        ShapeCase { LFO::square, 0.125, 1.0f },
    ShapeCase { LFO::square, 511.0 / 1024.0, 1.0f },    ShapeCase { LFO::square, 0.5, -1.0f },
    ShapeCase { LFO::rampDown, 0.0, 1.0f },    ShapeCase { LFO::rampDown, 0.75, -0.5f },
    ShapeCase { 9, 0.3, 0.0f }));

TEST (LFO, TheOffsetShiftsTheCycle)
{
    EXPECT_NEAR (valueAt (LFO::saw, 0.25, 0.5f), 0.5f, 1.0e-5f);    // reads 0.75
    EXPECT_NEAR (valueAt (LFO::square, 0.25, 0.5f), -1.0f, 1.0e-5f);
}

TEST (LFO, StepsOncePerBlockAndHoldsItsValue)
{
    // 1 Hz, 512-sample blocks at 48 kHz: a value per block, about 94 per second.
    LFO lfo;
    lfo.prepare (48000.0);
    lfo.setRate (1.0f);
    lfo.setShape (LFO::saw);

    std::set<float> values;
    for (int block = 0; block < 93; ++block)
    {
        lfo.processBlock (512);
        values.insert (lfo.getValue());
    }
    EXPECT_EQ (values.size(), 93u);
    EXPECT_NEAR (lfo.getPhase(), 93.0 * 512.0 / 48000.0, 1.0e-9);

    const float before = lfo.getValue();
    lfo.processBlock (0);
    EXPECT_EQ (lfo.getValue(), before);
}

TEST (LFO, RateIsClampedAndFollowsTheSampleRate)
{
    LFO lfo;
    lfo.prepare (48000.0);
    lfo.setRate (0.001f);
    EXPECT_FLOAT_EQ (lfo.getRate(), 0.01f);
    lfo.setRate (500.0f);
    EXPECT_FLOAT_EQ (lfo.getRate(), 50.0f);

    lfo.setRate (2.0f);
    lfo.prepare (0.0); // an unprepared rate stands for 44100
    lfo.processBlock (22050);
    EXPECT_LT (std::min (lfo.getPhase(), 1.0 - lfo.getPhase()), 1.0e-9); // one whole cycle
}

TEST (LFO, SampleAndHoldDrawsOncePerCycle)
{
    // Eight blocks per cycle, all exact in binary, so every boundary falls on a block's end.
    for (const float offset : { 0.0f, 0.3f })
    {
        LFO lfo;
        lfo.prepare (1024.0);
        lfo.setRate (1.0f);
        lfo.setShape (LFO::sampleAndHold);
        lfo.setPhaseOffset (offset);

        float previousValue = 2.0f;
        int64_t previousCycle = -1;
        for (int block = 1; block <= 80; ++block)
        {
            lfo.processBlock (128);
            const float v = lfo.getValue();
            ASSERT_GE (v, -1.0f);
            ASSERT_LT (v, 1.0f);

            const auto cycle = (int64_t) std::floor (block / 8.0 + offset);
            EXPECT_EQ (v != previousValue, cycle != previousCycle) << "offset " << offset << ", block " << block;
            previousValue = v;
            previousCycle = cycle;
        }
    }
}

TEST (LFO, SampleAndHoldUsesTheXorshiftSequence)
{
    LFO lfo;
    lfo.prepare (1000.0);
    lfo.setShape (LFO::sampleAndHold);
    lfo.processBlock (1);

    uint32_t x = 2654435769u;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    EXPECT_FLOAT_EQ (lfo.getValue(), (float) ((double) x / 2147483648.0 - 1.0));
}

TEST (LFO, AmountScalesTheOutputAndIsClamped)
{
    LFO lfo;
    lfo.prepare (1000.0);
    lfo.setShape (LFO::square);
    lfo.processBlock (10);
    lfo.setAmount (0.25f);
    EXPECT_FLOAT_EQ (lfo.getValue(), 0.25f);
    lfo.setAmount (3.0f);
    EXPECT_FLOAT_EQ (lfo.getValue(), 1.0f);
    lfo.setAmount (-1.0f);
    EXPECT_FLOAT_EQ (lfo.getValue(), 0.0f);
}

TEST (LFO, ACustomTableIsReadWhenActiveAndWrapsToTheStart)
{
    std::array<float, 256> ramp {};
    for (int i = 0; i < 256; ++i)
        ramp[(size_t) i] = -1.0f + 2.0f * (float) i / 255.0f;

    EXPECT_FLOAT_EQ (LFO::readCustomTable (ramp, 0.0), -1.0f);
    EXPECT_FLOAT_EQ (LFO::readCustomTable (ramp, 255.0 / 256.0), 1.0f);
    // Between the last entry and the end of the cycle the value heads back to entry 0.
    EXPECT_FLOAT_EQ (LFO::readCustomTable (ramp, 255.5 / 256.0), 0.0f);

    LFO lfo;
    lfo.prepare (256.0);
    lfo.setShape (LFO::square);
    std::array<float, 256> loud {};
    loud.fill (4.0f);
    lfo.setCustomTable (loud.data(), true);
    lfo.processBlock (10);
    EXPECT_FLOAT_EQ (lfo.getValue(), 1.0f); // entries are clamped to -1..1

    lfo.setCustomTable (ramp.data(), false); // present but not in use: the built-in shape plays
    lfo.processBlock (10);
    EXPECT_FLOAT_EQ (lfo.getValue(), 1.0f);
    EXPECT_FALSE (lfo.isCustomInUse());
}

} // namespace
