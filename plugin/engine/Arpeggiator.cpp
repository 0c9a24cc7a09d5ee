#include "engine/Arpeggiator.h"

#include <algorithm>
#include <cmath>

namespace halvo
{

namespace
{
    constexpr int64_t randomSeed = 335591;
    constexpr size_t outputBytes = 4096;
    constexpr juce::uint8 arpVelocity = 100;
} // namespace

//==============================================================================
bool Arpeggiator::NoteList::contains (int note) const noexcept
{
    return std::find (notes.begin(), notes.begin() + count, note) != notes.begin() + count;
}

bool Arpeggiator::NoteList::append (int note) noexcept
{
    if (count >= maxNotes || contains (note))
        return false;

    notes[(size_t) count++] = note;
    return true;
}

bool Arpeggiator::NoteList::remove (int note) noexcept
{
    const auto end = notes.begin() + count;
    const auto found = std::find (notes.begin(), end, note);
    if (found == end)
        return false;

    std::copy (found + 1, end, found);
    --count;
    return true;
}

//==============================================================================
Arpeggiator::Arpeggiator()
{
    output.ensureSize (outputBytes);
}

double Arpeggiator::beatsPerStep (int index) noexcept
{
    // The triplet values are the single-precision thirds and sixths.
    constexpr double table[] = { 1.0, 0.5, (double) (1.0f / 3.0f), 0.25, (double) (1.0f / 6.0f), 0.125 };
    return table[std::clamp (index, 0, 5)];
}

void Arpeggiator::prepare (double newSampleRate)
{
    sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;
    pattern.count = 0;
    sequenceLength = 0;
    stepIndex = 0;
    stepCounter = 0;
    directionUp = true;
    currentNote = -1;
    gateCounter = 0;
    randomGenerator.setSeed (randomSeed);
    output.ensureSize (outputBytes);
}

void Arpeggiator::takeSettings (const Settings& settings) noexcept
{
    mode = std::clamp (settings.mode, 0, 4);
    rateIndex = std::clamp (settings.rateIndex, 0, 5);
    octaves = std::clamp (settings.octaves, 1, 4);
    gate = std::isfinite (settings.gate) ? std::clamp (settings.gate, 0.05f, 1.0f) : 0.5f;

    // Releasing hold leaves exactly the keys that are down at that moment.
    if (! settings.hold && hold)
    {
        pattern = held;
        sequenceDirty = true;
    }
    hold = settings.hold;

    tempo = settings.tempoBpm > 1.0 ? settings.tempoBpm : 120.0;
}

const juce::MidiBuffer& Arpeggiator::process (const juce::MidiBuffer& midi, int numSamples, const Settings& settings) noexcept
{
    const bool wasOn = on;
    on = settings.on;
    takeSettings (settings);

    if (! on)
    {
        // A note the arpeggiator left sounding when it was switched off would hang: end it at
        // the start of the first block that plays the keys directly.
        if (wasOn && currentNote >= 0)
        {
            output.clear();
            output.addEvent (juce::MidiMessage::noteOff (1, currentNote, (juce::uint8) 0), 0);
            output.addEvents (midi, 0, numSamples, 0);
            currentNote = -1;
            gateCounter = 0;
            return output;
        }
        return midi;
    }

    output.clear();
    handleEvents (midi);

    if (sequenceDirty)
        rebuildSequence();

    if (sequenceLength == 0)
    {
        noteOff (0);
        stepCounter = 0;
        stepIndex = 0;
        return output;
    }

    updateTiming();

    for (int i = 0; i < numSamples; ++i)
    {
        if (currentNote >= 0 && gateCounter > 0 && --gateCounter == 0)
            noteOff (i);

        if (stepCounter == 0)
        {
            noteOff (i);
            const int note = chooseNextNote();
            if (note >= 0 && note <= 127)
                noteOn (note, i);
        }

        if (++stepCounter >= stepLength)
            stepCounter = 0;
    }

    return output;
}

void Arpeggiator::handleEvents (const juce::MidiBuffer& midi) noexcept
{
    for (const auto metadata : midi)
    {
        const auto message = metadata.getMessage();

        if (message.isNoteOn())
        {
            const int note = message.getNoteNumber();
            held.append (note);
            if (pattern.append (note))
                sequenceDirty = true;
        }
        else if (message.isNoteOff())  // also a note-on at velocity 0
        {
            const int note = message.getNoteNumber();
            held.remove (note);
            if (! hold && pattern.remove (note))
                sequenceDirty = true;
        }
        else
        {
            output.addEvent (message, metadata.samplePosition);
        }
    }
}

void Arpeggiator::rebuildSequence() noexcept
{
    sequenceDirty = false;

    auto sorted = pattern.notes;
    std::sort (sorted.begin(), sorted.begin() + pattern.count);

    sequenceLength = 0;
    for (int octave = 0; octave < octaves; ++octave)
    {
        for (int i = 0; i < pattern.count; ++i)
        {
            const int note = sorted[(size_t) i] + 12 * octave;
            if (note < 128 && sequenceLength < maxSequence)
                sequence[(size_t) sequenceLength++] = note;
        }
    }

    if (stepIndex >= sequenceLength)
        stepIndex = 0;
}

void Arpeggiator::updateTiming() noexcept
{
    const double step = (60.0 / tempo) * beatsPerStep (rateIndex) * sampleRate;
    // std::lround takes halves away from zero.
    stepLength = std::max (1, (int) std::lround (step));
    gateLength = std::max (1, (int) std::lround ((double) gate * stepLength));
}

int Arpeggiator::chooseNextNote() noexcept
{
    const int length = sequenceLength;
    const int k = stepIndex;

    switch (mode)
    {
        case down:
            stepIndex = (k + 1) % length;
            return sequence[(size_t) (length - 1 - k)];

        case upDown:
        {
            // The end notes are not repeated: A B C B A B C ...
            const int note = sequence[(size_t) k];
            if (length == 1)
                return note;

            if (directionUp)
            {
                stepIndex = k + 1;
                if (stepIndex >= length - 1)
                {
                    stepIndex = length - 1;
                    directionUp = false;
                }
            }
            else
            {
                stepIndex = k - 1;
                if (k <= 1)
                {
                    stepIndex = 0;
                    directionUp = true;
                }
            }
            return note;
        }

        case random:
            return sequence[(size_t) randomGenerator.nextInt (length)];

        case order:
        {
            // The notes in the order they were pressed, then the same an octave up, and so on.
            stepIndex = (k + 1) % length;
            const int patternLength = std::max (1, pattern.count);
            const int j = k % length;
            const int m = j % patternLength;
            const int octave = j / patternLength;
            const int base = m < pattern.count ? pattern.notes[(size_t) m] : sequence[0];
            const int note = base + 12 * octave;
            return note > 127 ? sequence[(size_t) j] : note;
        }

        default:
            stepIndex = (k + 1) % length;
            return sequence[(size_t) k];
    }
}

void Arpeggiator::noteOn (int note, int samplePosition) noexcept
{
    output.addEvent (juce::MidiMessage::noteOn (1, note, arpVelocity), samplePosition);
    currentNote = note;
    gateCounter = gateLength;
}

void Arpeggiator::noteOff (int samplePosition) noexcept
{
    if (currentNote < 0)
        return;

    output.addEvent (juce::MidiMessage::noteOff (1, currentNote, (juce::uint8) 0), samplePosition);
    currentNote = -1;
}

} // namespace halvo
