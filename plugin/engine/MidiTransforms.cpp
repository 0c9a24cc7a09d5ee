#include "engine/MidiTransforms.h"

namespace halvo
{

void transposeNotes (juce::MidiBuffer& midi, juce::MidiBuffer& scratch, int semitones)
{
    if (semitones == 0 || midi.isEmpty())
        return;

    scratch.clear();

    for (const auto metadata : midi)
    {
        const auto* data = metadata.data;
        const int size = metadata.numBytes;
        const bool isNoteOnOrOff = size >= 3 && data[0] >= 0x80 && data[0] <= 0x9f;

        if (! isNoteOnOrOff)
        {
            scratch.addEvent (data, size, metadata.samplePosition);
            continue;
        }

        const int note = data[1] + semitones;
        if (note < 0 || note > 127)
            continue;

        const juce::uint8 moved[3] = { data[0], static_cast<juce::uint8> (note), data[2] };
        scratch.addEvent (moved, 3, metadata.samplePosition);
    }

    midi.swapWith (scratch);
}

} // namespace halvo
