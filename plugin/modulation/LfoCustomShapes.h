#pragma once

#include "util/TripleBuffer.h"

#include <array>
#include <vector>

namespace halvo
{

/** A point of a drawn LFO shape: x is the position in the cycle (0..1), y the value (-1..1). */
struct LfoPoint
{
    float x = 0.0f, y = 0.0f;
};

/** A drawn shape as the LFO plays it: entry i is the value at cycle position i / 255. */
struct CustomLfoTable
{
    static constexpr int size = 256;

    std::array<float, size> values {};
    bool active = false; // play this table instead of the built-in shape
};

/** Renders points, in any order, into table entries. Straight segments join the points
    sorted by x; before the first point and after the last the value stays flat. No points give
    silence and one point a constant. Every entry is clamped to -1..1. */
std::array<float, CustomLfoTable::size> renderCustomLfoTable (const std::vector<LfoPoint>& points);

/** The drawn shapes of the ten LFOs and their hand-off to the audio thread.

    The point lists and active flags belong to the message thread, which renders a list into a
    table and publishes table and flag together. The audio thread takes the newest complete
    publication per LFO through a triple buffer, so it never waits and never sees a table the
    message thread is still writing.

    Message-thread calls take the LFO number n = 1..10 as the panels show it (anything else is
    ignored); the render call and the audio-thread calls take the index 0..9. */
class LfoCustomShapes
{
public:
    static constexpr int numLfos = 10;

    /** Publishes an empty, inactive table for every LFO so that the first fetch hands each LFO
        a defined state. */
    LfoCustomShapes();

    //==============================================================================
    // Message thread

    /** A copy of the points of LFO n as they were set (unsorted); empty for an invalid n. */
    std::vector<LfoPoint> getPoints (int lfoNumber) const;

    /** Stores the points of LFO n, then renders and publishes its table. */
    void setPoints (int lfoNumber, std::vector<LfoPoint> points);

    bool isActive (int lfoNumber) const noexcept;

    /** Stores the flag and publishes it with the current table, so the LFO switches between
        the drawn and the built-in shape at its next fetch. */
    void setActive (int lfoNumber, bool shouldBeActive);

    /** Renders the stored points of the LFO at lfoIndex (0..9) and publishes the table with the
        stored active flag. Other indices do nothing. */
    void renderLfoCustomChannel (int lfoIndex);

    //==============================================================================
    // Audio thread

    /** Takes the newest publication for the LFO at lfoIndex. Returns true when one arrived
        since the last fetch, that is when current() changed. */
    bool fetch (int lfoIndex) noexcept;

    /** The table the audio thread holds for the LFO at lfoIndex, stable until its next fetch;
        an empty, inactive table for an index outside 0..9. */
    const CustomLfoTable& current (int lfoIndex) const noexcept;

private:
    struct Channel
    {
        std::vector<LfoPoint> points;
        CustomLfoTable rendered;  // the message thread's copy of what it last published
        TripleBuffer<CustomLfoTable> mailbox;
    };

    static bool isValidIndex (int lfoIndex) noexcept { return lfoIndex >= 0 && lfoIndex < numLfos; }

    void publish (Channel& channel);

    std::array<Channel, numLfos> channels;
};

} // namespace halvo
