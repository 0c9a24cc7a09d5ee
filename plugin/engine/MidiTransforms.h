#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

namespace halvo
{

/** Moves every note-on and note-off of midi by semitones. A note that would leave 0..127 is
    dropped, so its note-on never sounds and its note-off never hangs on a wrong key. Other
    events keep their bytes and positions. scratch receives the rebuilt events and is swapped
    with midi, so with room reserved in both the transpose allocates nothing. */
void transposeNotes (juce::MidiBuffer& midi, juce::MidiBuffer& scratch, int semitones);

} // namespace halvo
