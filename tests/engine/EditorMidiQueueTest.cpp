#include "engine/EditorMidiQueue.h"

#include <gtest/gtest.h>

namespace
{

using halvo::EditorMidiQueue;

std::vector<std::pair<int, juce::MidiMessage>> eventsOf (const juce::MidiBuffer& midi)
{
    std::vector<std::pair<int, juce::MidiMessage>> events;
    for (const auto metadata : midi)
        events.emplace_back (metadata.samplePosition, metadata.getMessage());
    return events;
}

TEST (EditorMidiQueue, DrainKeepsEventsInsideTheBlockAndEmptiesTheQueue)
{
    EditorMidiQueue queue;
    ASSERT_TRUE (queue.push (juce::MidiMessage::pitchWheel (1, 12000), 0));
    ASSERT_TRUE (queue.push (juce::MidiMessage::controllerEvent (1, 1, 64), 511));
    ASSERT_TRUE (queue.push (juce::MidiMessage::controllerEvent (1, 1, 90), 512)); // beyond the block
    ASSERT_TRUE (queue.push (juce::MidiMessage::controllerEvent (1, 1, 20), -1));

    juce::MidiBuffer midi;
    queue.drainInto (midi, 512);

    const auto events = eventsOf (midi);
    ASSERT_EQ (events.size(), 2u);
    EXPECT_EQ (events[0].first, 0);
    EXPECT_TRUE (events[0].second.isPitchWheel());
    EXPECT_EQ (events[0].second.getPitchWheelValue(), 12000);
    EXPECT_EQ (events[1].first, 511);
    EXPECT_EQ (events[1].second.getControllerValue(), 64);

    juce::MidiBuffer next;
    queue.drainInto (next, 512);
    EXPECT_TRUE (next.isEmpty());
}

TEST (EditorMidiQueue, RefusesLongMessagesAndAFullQueue)
{
    EditorMidiQueue queue;
    const juce::uint8 sysex[] = { 0x01, 0x02, 0x03, 0x04 };
    EXPECT_FALSE (queue.push (juce::MidiMessage::createSysExMessage (sysex, 4), 0));

    int accepted = 0;
    while (queue.push (juce::MidiMessage::controllerEvent (1, 7, 100), 0) && accepted <= EditorMidiQueue::capacity)
        ++accepted;

    // A ring of N slots holds N - 1 events; the next push is refused instead of overwriting.
    EXPECT_EQ (accepted, EditorMidiQueue::capacity - 1);

    juce::MidiBuffer midi;
    queue.drainInto (midi, 16);
    EXPECT_EQ (midi.getNumEvents(), EditorMidiQueue::capacity - 1);
    EXPECT_TRUE (queue.push (juce::MidiMessage::controllerEvent (1, 7, 100), 0));
}

} // namespace
