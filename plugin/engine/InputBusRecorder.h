#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <atomic>

namespace halvo
{

/** Records the "Capture Input" bus for the capture feature when no input device of its own
    can be opened.

    The editor starts a take, may end it early and collects it; the audio block records into it.
    The state moves idle -> recording (editor) -> recorded (audio block when the take is full,
    or editor when stopped early) -> idle (editor, on collection); a block that cannot record
    (no input channels, an empty block) abandons the take: recording -> idle.
    The recording buffer belongs to the audio thread while the state is "recording" and to the
    editor otherwise. */
class InputBusRecorder
{
public:
    enum State : int
    {
        idle = 0,
        recording = 1,
        recorded = 2
    };

    //==============================================================================
    // Message thread

    /** Sizes the buffer for numSamples mono samples and starts recording. Returns false, and
        changes nothing, while a take is being recorded or when numSamples is not positive. */
    bool start (int numSamples, double sampleRate);

    /** Ends a running take early, keeping what was recorded. Returns false when no take runs. */
    bool stopEarly() noexcept;

    /** Moves a finished take into destination (one channel, as many samples as were recorded)
        and returns to idle. Returns false, leaving destination alone, when no take is waiting. */
    bool collect (juce::AudioBuffer<float>& destination, double& sampleRate);

    State getState() const noexcept { return static_cast<State> (state.load()); }
    int getLength() const noexcept { return length.load(); }
    int getWritePosition() const noexcept { return writePosition.load(); }

    //==============================================================================
    // Audio thread

    /** Appends the mono mix of the first numInputChannels channels of buffer while a take is
        running. Call before the buffer is cleared for output. */
    void record (const juce::AudioBuffer<float>& buffer, int numInputChannels, int numSamples) noexcept;

private:
    /** Waits until an audio block that may still be writing has left record(). Together with
        the sequentially consistent flag in record() this makes the buffer the editor's alone. */
    void waitForAudioThread() const noexcept;

    std::atomic<int> state { idle };
    std::atomic<bool> audioThreadInside { false };
    juce::AudioBuffer<float> recordingBuffer;
    std::atomic<int> writePosition { 0 };
    std::atomic<int> length { 0 };
    double recordingSampleRate = 0.0;
};

} // namespace halvo
