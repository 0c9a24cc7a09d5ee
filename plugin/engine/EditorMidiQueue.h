#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>

namespace halvo
{

/** MIDI from the editor's own controls (the pitch and modulation wheels) to the audio block.

    One producer (the message thread) and one consumer (the audio thread) share a fixed ring of
    short messages, so neither side locks or allocates. The audio block takes everything queued
    at the start of each block. */
class EditorMidiQueue
{
public:
    static constexpr int capacity = 512;

    /** Queues a message of at most three bytes for the given sample position of the next block.
        Returns false when the message is longer or the queue is full. Message thread. */
    bool push (const juce::MidiMessage& message, int samplePosition) noexcept;

    /** Empties the queue; events with a position in [0, numSamples) are added to destination,
        the others are dropped. Audio thread. */
    void drainInto (juce::MidiBuffer& destination, int numSamples) noexcept;

private:
    struct Event
    {
        int samplePosition = 0;
        std::array<juce::uint8, 3> bytes {};
        int numBytes = 0;
    };

    juce::AbstractFifo fifo { capacity };
    std::array<Event, capacity> events {};
};

} // namespace halvo
