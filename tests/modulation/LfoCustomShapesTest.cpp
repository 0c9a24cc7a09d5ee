#include "modulation/LfoCustomShapes.h"

#include "support/TestNames.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <functional>
#include <thread>

namespace
{

using halvo::CustomLfoTable;
using halvo::LfoCustomShapes;
using halvo::LfoPoint;
using halvo::renderCustomLfoTable;

float positionOf (size_t entry)
{
    return (float) entry / 255.0f;
}

struct RenderCase
{
    const char* name;
    std::vector<LfoPoint> points;
    std::function<float (float)> expected; // the value at cycle position d
};

class CustomLfoRendering : public ::testing::TestWithParam<RenderCase> {};

TEST_P (CustomLfoRendering, EveryEntryFollowsThePoints)
{
    const auto& c = GetParam();
    const auto table = renderCustomLfoTable (c.points);

    for (size_t i = 0; i < table.size(); ++i)
        ASSERT_NEAR (table[i], c.expected (positionOf (i)), 1.0e-5f) << "entry " << i;
}

INSTANTIATE_TEST_SUITE_P (Shapes, CustomLfoRendering, ::testing::Values (
    RenderCase { "no points", {}, [] (float) { return 0.0f; } },
    RenderCase { "one point above range", { { 0.3f, 2.0f } }, [] (float) { return 1.0f; } },
    RenderCase { "one point inside range", { { 0.9f, -0.4f } }, [] (float) { return -0.4f; } },
    RenderCase { "rising ramp", { { 0.0f, -1.0f }, { 1.0f, 1.0f } }, [] (float d) { return -1.0f + 2.0f * d; } },
    RenderCase { "flat ends", { { 0.25f, 0.5f }, { 0.75f, -0.5f } }, [] (float d)
    {
        return d <= 0.25f ? 0.5f : d >= 0.75f ? -0.5f : 0.5f - 2.0f * (d - 0.25f);
    } },
    RenderCase { "unsorted triangle", { { 1.0f, 0.0f }, { 0.0f, 0.0f }, { 0.5f, 1.0f } }, [] (float d)
    {
        return 1.0f - std::abs (2.0f * d - 1.0f);
    } },
    RenderCase { "steep ramp clamped", { { 0.0f, -3.0f }, { 1.0f, 3.0f } }, [] (float d)
    {
        return std::clamp (-3.0f + 6.0f * d, -1.0f, 1.0f);
    } }
), halvo::test::NameFromField());

TEST (CustomLfoRendering, RampReachesBothEndsExactly)
{
    const auto table = renderCustomLfoTable ({ { 0.0f, -1.0f }, { 1.0f, 1.0f } });
    EXPECT_EQ (table.front(), -1.0f);
    EXPECT_EQ (table.back(), 1.0f);
}

TEST (CustomLfoRendering, TwoPointsAtOneXMakeAVerticalStep)
{
    // 0.2 is entry 51 exactly; the step happens between entries 51 and 52.
    const auto table = renderCustomLfoTable ({ { 0.0f, -1.0f }, { 0.2f, -1.0f }, { 0.2f, 1.0f }, { 1.0f, 1.0f } });

    for (size_t i = 0; i < table.size(); ++i)
        ASSERT_EQ (table[i], i <= 51 ? -1.0f : 1.0f) << "entry " << i;
}

TEST (CustomLfoRendering, PointsAtOneXKeepTheirDrawnOrder)
{
    // Drawn high first: the segment from the left rises to 1, the step drops to -1.
    const auto table = renderCustomLfoTable ({ { 0.0f, 0.0f }, { 0.6f, 1.0f }, { 0.6f, -1.0f }, { 1.0f, -1.0f } });

    EXPECT_NEAR (table[76], positionOf (76) / 0.6f, 1.0e-5f);
    EXPECT_NEAR (table[153], 1.0f, 1.0e-5f); // 153 / 255 = 0.6, the end of the rise
    EXPECT_EQ (table[154], -1.0f);
    EXPECT_EQ (table[255], -1.0f);
}

//==============================================================================
void drainAll (LfoCustomShapes& shapes)
{
    for (int i = 0; i < LfoCustomShapes::numLfos; ++i)
        shapes.fetch (i);
}

bool anyFetches (LfoCustomShapes& shapes)
{
    bool any = false;
    for (int i = 0; i < LfoCustomShapes::numLfos; ++i)
        any = shapes.fetch (i) || any;
    return any;
}

bool isFlat (const CustomLfoTable& table, float value)
{
    return std::all_of (table.values.begin(), table.values.end(), [value] (float v) { return v == value; });
}

TEST (LfoCustomShapes, EveryLfoStartsWithAnEmptyInactiveTable)
{
    LfoCustomShapes shapes;

    for (int i = 0; i < LfoCustomShapes::numLfos; ++i)
    {
        EXPECT_TRUE (shapes.fetch (i));
        EXPECT_FALSE (shapes.fetch (i));
        EXPECT_FALSE (shapes.current (i).active);
        EXPECT_TRUE (isFlat (shapes.current (i), 0.0f));
        EXPECT_FALSE (shapes.isActive (i + 1));
        EXPECT_TRUE (shapes.getPoints (i + 1).empty());
    }
}

TEST (LfoCustomShapes, SettingPointsPublishesTheRenderedTableOnce)
{
    LfoCustomShapes shapes;
    drainAll (shapes);

    const std::vector<LfoPoint> ramp { { 1.0f, 1.0f }, { 0.0f, -1.0f } };
    shapes.setPoints (3, ramp);

    for (int i = 0; i < LfoCustomShapes::numLfos; ++i)
        EXPECT_EQ (shapes.fetch (i), i == 2) << "LFO index " << i;
    EXPECT_FALSE (shapes.fetch (2));

    EXPECT_EQ (shapes.current (2).values, renderCustomLfoTable (ramp));
    EXPECT_EQ (shapes.current (2).values[0], -1.0f);
    EXPECT_FALSE (shapes.current (2).active);

    // The list is kept as the user drew it, not sorted.
    const auto stored = shapes.getPoints (3);
    ASSERT_EQ (stored.size(), 2u);
    EXPECT_EQ (stored[0].x, 1.0f);
    EXPECT_EQ (stored[1].x, 0.0f);
}

TEST (LfoCustomShapes, TheActiveFlagTravelsWithTheLastTable)
{
    LfoCustomShapes shapes;
    shapes.setPoints (10, { { 0.5f, 0.25f } });
    drainAll (shapes);

    shapes.setActive (10, true);
    EXPECT_TRUE (shapes.isActive (10));
    ASSERT_TRUE (shapes.fetch (9));
    EXPECT_TRUE (shapes.current (9).active);
    EXPECT_TRUE (isFlat (shapes.current (9), 0.25f));
    EXPECT_FALSE (shapes.fetch (9));

    // New points keep the flag; turning it off keeps the table.
    shapes.setPoints (10, { { 0.5f, -0.5f } });
    ASSERT_TRUE (shapes.fetch (9));
    EXPECT_TRUE (shapes.current (9).active);
    EXPECT_TRUE (isFlat (shapes.current (9), -0.5f));

    shapes.setActive (10, false);
    ASSERT_TRUE (shapes.fetch (9));
    EXPECT_FALSE (shapes.current (9).active);
    EXPECT_TRUE (isFlat (shapes.current (9), -0.5f));
    EXPECT_FALSE (anyFetches (shapes));
}

TEST (LfoCustomShapes, RenderingAChannelRepublishesItsStoredPoints)
{
    LfoCustomShapes shapes;
    shapes.setPoints (1, { { 0.0f, 0.75f } });
    shapes.setActive (1, true);
    drainAll (shapes);

    shapes.renderLfoCustomChannel (0);
    ASSERT_TRUE (shapes.fetch (0));
    EXPECT_TRUE (isFlat (shapes.current (0), 0.75f));
    EXPECT_TRUE (shapes.current (0).active);
}

TEST (LfoCustomShapes, InvalidLfoNumbersAreIgnored)
{
    LfoCustomShapes shapes;
    drainAll (shapes);

    for (const int n : { 0, 11, -1 })
    {
        shapes.setPoints (n, { { 0.0f, 1.0f } });
        shapes.setActive (n, true);
        EXPECT_TRUE (shapes.getPoints (n).empty());
        EXPECT_FALSE (shapes.isActive (n));
    }

    shapes.renderLfoCustomChannel (10);
    shapes.renderLfoCustomChannel (-1);
    EXPECT_FALSE (anyFetches (shapes));

    EXPECT_FALSE (shapes.fetch (10));
    EXPECT_FALSE (shapes.current (10).active);
    EXPECT_TRUE (isFlat (shapes.current (10), 0.0f));

    for (int i = 0; i < LfoCustomShapes::numLfos; ++i)
        EXPECT_TRUE (isFlat (shapes.current (i), 0.0f));
}

TEST (LfoCustomShapes, AConcurrentReaderNeverSeesAHalfWrittenTable)
{
    // Every publication is a flat table at a new level (one point), and levels only rise, so a
    // torn table shows two levels and a stale one repeats or goes back.
    LfoCustomShapes shapes;
    drainAll (shapes);

    constexpr int publications = 20000;
    constexpr int lfoNumber = 4;
    const auto levelOf = [] (int i) { return -1.0f + 2.0f * (float) i / (float) publications; };

    std::atomic<bool> writerDone { false };
    std::atomic<int> tablesSeen { 0 };
    std::thread writer ([&]
    {
        for (int i = 1; i <= publications; ++i)
        {
            // On a loaded machine the reader might otherwise only wake after the last
            // publication; every so often the writer waits until it has taken one more.
            const int seenBefore = tablesSeen.load();
            shapes.setPoints (lfoNumber, { { 0.5f, levelOf (i) } });

            if (i % 500 == 0)
                while (tablesSeen.load() == seenBefore)
                    std::this_thread::yield();
        }
        writerDone = true;
    });

    bool allFlat = true;
    bool rising = true;
    float lastLevel = -2.0f;

    std::thread reader ([&]
    {
        for (;;)
        {
            const bool done = writerDone.load();

            if (! shapes.fetch (lfoNumber - 1))
            {
                if (done)
                    break;
                continue;
            }

            const auto& table = shapes.current (lfoNumber - 1);
            const float level = table.values[0];
            allFlat = allFlat && isFlat (table, level);
            rising = rising && level > lastLevel;
            lastLevel = level;
            ++tablesSeen;
        }
    });

    writer.join();
    reader.join();

    EXPECT_TRUE (allFlat);
    EXPECT_TRUE (rising);
    EXPECT_GT (tablesSeen, 1);
    EXPECT_EQ (lastLevel, levelOf (publications));
}

} // namespace
