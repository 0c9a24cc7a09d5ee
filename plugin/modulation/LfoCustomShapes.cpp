#include "modulation/LfoCustomShapes.h"

#include <algorithm>
#include <cmath>

namespace halvo
{

namespace
{
    // Two points at the same x make a vertical step; the floor keeps that segment's
    // interpolation from dividing by zero.
    constexpr float minimumSegmentWidth = 1.0e-6f;

    constexpr CustomLfoTable emptyTable {};

    // A NaN from a damaged state would pass straight through a clamp and on into the audio.
    float clampToUnit (float value) noexcept
    {
        return std::isnan (value) ? 0.0f : std::clamp (value, -1.0f, 1.0f);
    }
} // namespace

std::array<float, CustomLfoTable::size> renderCustomLfoTable (const std::vector<LfoPoint>& points)
{
    std::array<float, CustomLfoTable::size> table {};

    if (points.empty())
        return table;

    // A stable sort keeps points with equal x in the order they were drawn, which decides the
    // direction of a vertical step.
    auto sorted = points;
    std::stable_sort (sorted.begin(), sorted.end(),
                      [] (const LfoPoint& a, const LfoPoint& b) { return a.x < b.x; });

    if (sorted.size() == 1)
    {
        table.fill (clampToUnit (sorted.front().y));
        return table;
    }

    const auto& first = sorted.front();
    const auto& last = sorted.back();
    size_t segmentEnd = 1; // positions only grow, so the search for the segment never goes back

    for (size_t i = 0; i < table.size(); ++i)
    {
        const float position = (float) i / (float) (CustomLfoTable::size - 1);
        float value;

        if (position <= first.x)
        {
            value = first.y;
        }
        else if (position >= last.x)
        {
            value = last.y;
        }
        else
        {
            while (position > sorted[segmentEnd].x)
                ++segmentEnd;

            const auto& from = sorted[segmentEnd - 1];
            const auto& to = sorted[segmentEnd];
            const float t = std::clamp ((position - from.x) / std::max (to.x - from.x, minimumSegmentWidth), 0.0f, 1.0f);
            value = from.y + (to.y - from.y) * t;
        }

        table[i] = clampToUnit (value);
    }

    return table;
}

//==============================================================================
LfoCustomShapes::LfoCustomShapes()
{
    for (auto& channel : channels)
        publish (channel);
}

std::vector<LfoPoint> LfoCustomShapes::getPoints (int lfoNumber) const
{
    if (! isValidIndex (lfoNumber - 1))
        return {};

    return channels[(size_t) (lfoNumber - 1)].points;
}

void LfoCustomShapes::setPoints (int lfoNumber, std::vector<LfoPoint> points)
{
    if (! isValidIndex (lfoNumber - 1))
        return;

    channels[(size_t) (lfoNumber - 1)].points = std::move (points);
    renderLfoCustomChannel (lfoNumber - 1);
}

bool LfoCustomShapes::isActive (int lfoNumber) const noexcept
{
    return isValidIndex (lfoNumber - 1) && channels[(size_t) (lfoNumber - 1)].rendered.active;
}

void LfoCustomShapes::setActive (int lfoNumber, bool shouldBeActive)
{
    if (! isValidIndex (lfoNumber - 1))
        return;

    auto& channel = channels[(size_t) (lfoNumber - 1)];
    channel.rendered.active = shouldBeActive;
    publish (channel);
}

void LfoCustomShapes::renderLfoCustomChannel (int lfoIndex)
{
    if (! isValidIndex (lfoIndex))
        return;

    auto& channel = channels[(size_t) lfoIndex];
    channel.rendered.values = renderCustomLfoTable (channel.points);
    publish (channel);
}

void LfoCustomShapes::publish (Channel& channel)
{
    channel.mailbox.publish (channel.rendered);
}

//==============================================================================
bool LfoCustomShapes::fetch (int lfoIndex) noexcept
{
    return isValidIndex (lfoIndex) && channels[(size_t) lfoIndex].mailbox.fetch();
}

const CustomLfoTable& LfoCustomShapes::current (int lfoIndex) const noexcept
{
    return isValidIndex (lfoIndex) ? channels[(size_t) lfoIndex].mailbox.read() : emptyTable;
}

} // namespace halvo
