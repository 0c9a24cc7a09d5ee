#include "engine/RawParameterReading.h"

#include <gtest/gtest.h>

namespace
{

using namespace halvo;

TEST (RawParameterReading, TruncationAndRounding)
{
    struct Case
    {
        float value;
        int32_t truncated;
        int32_t rounded;
    };
    const Case cases[] = {
        { 0.0f, 0, 0 },
        { 2.5f, 2, 3 },
        { -2.5f, -2, -3 },
        { 0.49999997f, 0, 0 },
        { -0.7f, 0, -1 },
        { 11.99f, 11, 12 },
        { 1.0e20f, 2147483520, 2147483520 },
        { -1.0e20f, -2147483520, -2147483520 },
        { std::numeric_limits<float>::quiet_NaN(), 0, 0 },
        { std::numeric_limits<float>::infinity(), 0, 0 },
    };

    for (const auto& c : cases)
    {
        EXPECT_EQ (raw::truncate (c.value), c.truncated) << c.value;
        EXPECT_EQ (raw::roundHalfAwayFromZero (c.value), c.rounded) << c.value;
    }
}

TEST (RawParameterReading, MissingParametersLeaveTheFieldAlone)
{
    float level = 0.25f;
    int32_t mode = 3;
    bool on = true;

    EXPECT_FALSE (raw::read (nullptr, level));
    EXPECT_FALSE (raw::readTruncatedClamped (nullptr, mode, 0, 1));
    EXPECT_FALSE (raw::readSwitch (nullptr, on));
    EXPECT_EQ (level, 0.25f);
    EXPECT_EQ (mode, 3);
    EXPECT_TRUE (on);
    EXPECT_EQ (raw::valueOr (nullptr, -6.0f), -6.0f);

    const std::atomic<float> value { 0.5f };
    EXPECT_TRUE (raw::readSwitch (&value, on));
    EXPECT_TRUE (on);
}

} // namespace
