#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>
#include <cstdint>

namespace halvo
{

/** Turns the held keys into a rhythmic sequence of single notes locked to the host tempo.

    It runs inside the audio block after the MIDI has been merged and transposed. When on, it
    takes the block's note messages, passes everything else through at its position, and
    hands the synthesiser its own output; when off, the block's MIDI goes to the synthesiser
    untouched. Fixed arrays and a pre-sized output buffer keep it allocation-free. */
class Arpeggiator
{
public:
    static constexpr int maxNotes = 32;
    static constexpr int maxSequence = 128;

    enum Mode
    {
        up = 0,
        down = 1,
        upDown = 2,
        random = 3,
        order = 4
    };

    /** What the parameters say for this block. */
    struct Settings
    {
        bool on = false;
        bool hold = false;
        int mode = up;          // clamped to 0..4
        int rateIndex = 3;      // "1/4" .. "1/32", clamped to 0..5
        int octaves = 1;        // clamped to 1..4
        float gate = 0.5f;      // clamped to 0.05..1
        double tempoBpm = 120;  // 1 or less counts as 120
    };

    Arpeggiator();

    /** Resets the playing position and the pattern, and reseeds "Random" so that it repeats
        its sequence after every prepare. The keys held and the hold flag survive. */
    void prepare (double newSampleRate);

    /** One block. Returns the MIDI the synthesiser should play: the block's own when the
        arpeggiator is off, else the arpeggiator's output. */
    const juce::MidiBuffer& process (const juce::MidiBuffer& midi, int numSamples, const Settings& settings) noexcept;

    /** Step and gate lengths in samples for the current tempo, rate and gate. */
    int getStepLength() const noexcept { return stepLength; }
    int getGateLength() const noexcept { return gateLength; }
    int getCurrentNote() const noexcept { return currentNote; }

    static double beatsPerStep (int rateIndex) noexcept;

private:
    struct NoteList
    {
        std::array<int32_t, maxNotes> notes {};
        int count = 0;

        bool contains (int note) const noexcept;
        bool append (int note) noexcept;
        bool remove (int note) noexcept;
    };

    void takeSettings (const Settings& settings) noexcept;
    void handleEvents (const juce::MidiBuffer& midi) noexcept;
    void rebuildSequence() noexcept;
    void updateTiming() noexcept;
    int chooseNextNote() noexcept;
    void noteOn (int note, int samplePosition) noexcept;
    void noteOff (int samplePosition) noexcept;

    double sampleRate = 44100.0;
    double tempo = 120.0;
    bool on = false;
    bool hold = false;
    int mode = up;
    int rateIndex = 3;
    int octaves = 1;
    float gate = 0.5f;

    NoteList pattern;
    NoteList held;
    std::array<int32_t, maxSequence> sequence {};
    int sequenceLength = 0;
    bool sequenceDirty = false;

    int stepIndex = 0;
    bool directionUp = true;
    int stepCounter = 0;
    int currentNote = -1;
    int gateCounter = 0;
    int stepLength = 1;
    int gateLength = 1;

    juce::Random randomGenerator;
    juce::MidiBuffer output;
};

} // namespace halvo
