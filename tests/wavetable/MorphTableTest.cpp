#include "wavetable/MorphTable.h"

#include "CycleAnalysis.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{

using namespace halvo;
using namespace halvo::test;

/** Frame i mixes a growing second and third harmonic into a sine, so that neighbouring frames
    differ at every level but the top one. */
void drawTestFrame (int frameIndex, float, float* out)
{
    for (int n = 0; n < cycleLength; ++n)
        out[n] = (float) (std::sin (phaseOf (n)) + 0.2 * frameIndex * std::sin (2.0 * phaseOf (n))
                          - 0.1 * frameIndex * std::cos (3.0 * phaseOf (n)));
}

MorphTable builtTable (int numFrames)
{
    MorphTable table;
    table.build (numFrames, "Test", drawTestFrame);
    return table;
}

float readFrame (const MorphTable& table, int frame, int level, int index, float fraction = 0.0f)
{
    const float* y = table.getFrame (frame).getLevel (level);
    return y[index] + (y[index + 1] - y[index]) * fraction;
}

TEST (MorphTable, BuildCallsTheGeneratorOncePerFrameWithItsPosition)
{
    struct Case
    {
        int requestedFrames;
        std::vector<float> positions;
    };

    const Case cases[] = {
        { 5, { 0.0f, 0.25f, 0.5f, 0.75f, 1.0f } },
        { 2, { 0.0f, 1.0f } },
        { 1, { 0.0f } },
        { 0, { 0.0f } },
        { -3, { 0.0f } },
        { 16, {} },
    };

    for (const auto& c : cases)
    {
        std::vector<int> indices;
        std::vector<float> positions;
        bool alwaysZeroed = true;

        MorphTable table;
        table.build (c.requestedFrames, "Recorder", [&] (int frameIndex, float position, float* out)
        {
            alwaysZeroed = alwaysZeroed && std::all_of (out, out + cycleLength, [] (float v) { return v == 0.0f; });
            indices.push_back (frameIndex);
            positions.push_back (position);
            // Leave garbage behind for the next frame: the buffer must be cleared in between.
            std::fill (out, out + cycleLength, 0.5f);
            out[1] = 1.0f;
        });

        const int expectedFrames = std::max (1, c.requestedFrames);
        EXPECT_EQ (table.getFrameCount(), expectedFrames);
        EXPECT_EQ (table.getName(), "Recorder");
        EXPECT_TRUE (alwaysZeroed);
        ASSERT_EQ ((int) indices.size(), expectedFrames);

        for (int i = 0; i < expectedFrames; ++i)
        {
            EXPECT_EQ (indices[(size_t) i], i);
            const float expected = c.positions.empty() ? (float) i / (float) (expectedFrames - 1) : c.positions[(size_t) i];
            EXPECT_EQ (positions[(size_t) i], expected) << "frame " << i;
        }
    }
}

TEST (MorphTable, FramesAreBandLimitedCycles)
{
    const auto table = builtTable (3);

    for (int frame = 0; frame < 3; ++frame)
    {
        std::vector<float> cycle ((size_t) cycleLength);
        drawTestFrame (frame, 0.0f, cycle.data());
        Wavetable expected;
        expected.buildFromCycle (cycle.data(), cycleLength);

        for (int level = 0; level < Wavetable::numLevels; ++level)
            EXPECT_EQ (largestDifference (table.getFrame (frame).getLevel (level), expected.getLevel (level)), 0.0f);
    }
}

TEST (MorphTable, RebuildingReplacesFramesAndName)
{
    MorphTable table;
    table.build (8, "Eight", drawTestFrame);
    table.build (2, "Two", [] (int, float, float* out)
    {
        for (int n = 0; n < cycleLength; ++n)
            out[n] = (float) std::sin (phaseOf (n));
    });

    EXPECT_EQ (table.getFrameCount(), 2);
    EXPECT_EQ (table.getName(), "Two");
    EXPECT_NEAR (table.getFrame (1).getLevel (0)[512], 1.0f, 1.0e-6f);
    EXPECT_EQ (table.lookupMorphed (1.0f, 0, 512.0f), table.getFrame (1).getLevel (0)[512]);
}

TEST (MorphTable, UnbuiltTableReadsZero)
{
    const MorphTable table;

    EXPECT_EQ (table.getFrameCount(), 0);
    for (const float position : { 0.0f, 0.5f, 1.0f })
        EXPECT_EQ (table.lookupMorphed (position, 0, 100.0f), 0.0f);
}

TEST (MorphTable, SingleFrameIgnoresThePosition)
{
    const auto table = builtTable (1);

    for (const float position : { -1.0f, 0.0f, 0.3f, 1.0f, 7.0f, std::numeric_limits<float>::quiet_NaN() })
        for (const float sample : { 0.0f, 100.5f, 2047.25f })
        {
            const int index = (int) sample;
            EXPECT_EQ (table.lookupMorphed (position, 3, sample), readFrame (table, 0, 3, index, sample - (float) index))
                << position << " / " << sample;
        }
}

TEST (MorphTable, MorphPositionBlendsNeighbouringFrames)
{
    const auto table = builtTable (5);
    const int level = 4;
    const float sample = 300.75f;

    struct Case
    {
        float position;
        int frame;
        float weight;
    };

    const Case cases[] = {
        { 0.0f, 0, 0.0f },
        { 0.1f, 0, 0.4f },
        { 0.25f, 1, 0.0f },
        { 0.6f, 2, 0.4f },
        { 0.9f, 3, 0.6f },
    };

    for (const auto& c : cases)
    {
        const float p = 4.0f * c.position;
        const float weight = p - (float) c.frame;
        ASSERT_NEAR (weight, c.weight, 1.0e-6f);

        const float a = readFrame (table, c.frame, level, 300, 0.75f);
        const float b = readFrame (table, c.frame + 1, level, 300, 0.75f);
        EXPECT_EQ (table.lookupMorphed (c.position, level, sample), a + (b - a) * weight) << c.position;
    }
}

TEST (MorphTable, PositionsOutsideTheRangeReadTheEndFrames)
{
    const auto table = builtTable (4);

    for (int index = 0; index < cycleLength; index += 37)
    {
        const auto sample = (float) index;
        const float first = readFrame (table, 0, 0, index);
        const float last = readFrame (table, 3, 0, index);

        EXPECT_EQ (table.lookupMorphed (-0.5f, 0, sample), first);
        EXPECT_EQ (table.lookupMorphed (std::numeric_limits<float>::quiet_NaN(), 0, sample), first);
        EXPECT_EQ (table.lookupMorphed (1.0f, 0, sample), last) << "index " << index;
        EXPECT_EQ (table.lookupMorphed (1.5f, 0, sample), last);
        EXPECT_EQ (table.lookupMorphed (std::numeric_limits<float>::infinity(), 0, sample), last);
    }
}

TEST (MorphTable, SamplePositionsOutsideTheCycleAreHeldInside)
{
    const auto table = builtTable (3);
    const float position = 0.25f;
    const float weight = 0.5f;

    const auto expectedAt = [&] (int index, float fraction)
    {
        const float a = readFrame (table, 0, 1, index, fraction);
        const float b = readFrame (table, 1, 1, index, fraction);
        return a + (b - a) * weight;
    };

    // The index is held at 0 or 2047; the fraction is the distance from it, unclamped.
    EXPECT_EQ (table.lookupMorphed (position, 1, -0.25f), expectedAt (0, -0.25f));
    EXPECT_EQ (table.lookupMorphed (position, 1, -3.0f), expectedAt (0, -3.0f));
    EXPECT_EQ (table.lookupMorphed (position, 1, 2047.5f), expectedAt (2047, 0.5f));
    EXPECT_EQ (table.lookupMorphed (position, 1, 2048.0f), expectedAt (2047, 1.0f));
    EXPECT_EQ (table.lookupMorphed (position, 1, 2049.5f), expectedAt (2047, 2.5f));

    // Non-finite positions read from index 0 (which the sanitiser build checks); the unclamped
    // fraction then makes the result non-finite, as the voice never produces such positions.
    for (const float bad : { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                             -std::numeric_limits<float>::infinity() })
        EXPECT_FALSE (std::isfinite (table.lookupMorphed (position, 1, bad)));
}

TEST (MorphTable, LevelIsClampedToTheTable)
{
    const auto table = builtTable (3);

    for (const float sample : { 5.0f, 700.5f })
    {
        EXPECT_EQ (table.lookupMorphed (0.7f, -1, sample), table.lookupMorphed (0.7f, 0, sample));
        EXPECT_EQ (table.lookupMorphed (0.7f, -1000, sample), table.lookupMorphed (0.7f, 0, sample));
        EXPECT_EQ (table.lookupMorphed (0.7f, 11, sample), table.lookupMorphed (0.7f, 10, sample));
        EXPECT_EQ (table.lookupMorphed (0.7f, 99, sample), table.lookupMorphed (0.7f, 10, sample));
    }

    EXPECT_NE (table.lookupMorphed (0.7f, 0, 5.0f), table.lookupMorphed (0.7f, 10, 5.0f));
}

} // namespace
