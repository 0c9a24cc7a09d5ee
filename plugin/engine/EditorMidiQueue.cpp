#include "engine/EditorMidiQueue.h"

namespace halvo
{

bool EditorMidiQueue::push (const juce::MidiMessage& message, int samplePosition) noexcept
{
    const int size = message.getRawDataSize();
    if (size <= 0 || size > 3)
        return false;

    const auto scope = fifo.write (1);
    if (scope.blockSize1 + scope.blockSize2 != 1)
        return false;

    auto& event = events[(size_t) (scope.blockSize1 == 1 ? scope.startIndex1 : scope.startIndex2)];
    event.samplePosition = samplePosition;
    event.numBytes = size;
    std::copy_n (message.getRawData(), size, event.bytes.begin());
    return true;
}

void EditorMidiQueue::drainInto (juce::MidiBuffer& destination, int numSamples) noexcept
{
    const auto scope = fifo.read (fifo.getNumReady());

    scope.forEach ([&] (int index)
    {
        const auto& event = events[(size_t) index];
        if (event.samplePosition >= 0 && event.samplePosition < numSamples)
            destination.addEvent (event.bytes.data(), event.numBytes, event.samplePosition);
    });
}

} // namespace halvo
