#pragma once

#include "capture/CaptureEngine.h"
#include "engine/VoiceSharedState.h"
#include "voice/SynthSound.h"
#include "voice/SynthVoice.h"
#include "wavetable/SharedWavetables.h"

#include <juce_audio_basics/juce_audio_basics.h>

namespace halvo::test
{

/** One voice in a synthesiser over a shared state of its own, at 48 kHz. The shared state
    starts as a plain saw on oscillator A with the filter wide open, so a test changes only
    what it is about. */
struct VoiceTestRig
{
    static constexpr double sampleRate = 48000.0;

    VoiceSharedState shared;
    CaptureEngine capture;
    juce::Synthesiser synth;
    SynthVoice* voice = nullptr;
    juce::MidiBuffer pendingMidi;

    VoiceTestRig()
    {
        const auto& tables = SharedWavetables::instance();
        shared.wavetableBank = &tables.bank;
        shared.wavetableLibrary = &tables.library;
        shared.captureEngine = &capture;
        shared.oscB.level = 0.0f;
        shared.oscC.level = 0.0f;
        shared.filter1.cutoff = 20000.0f;
        shared.filter1.resonance = 0.0f;
        shared.filter1.mix = 0.0f;  // bypassed: tests hear the oscillators themselves
        shared.filter2.enabled = false;
        shared.ampAttack = 0.0f;
        shared.ampDecay = 0.0f;
        shared.ampSustain = 1.0f;
        shared.ampRelease = 0.0f;

        synth.addSound (new SynthSound());
        voice = static_cast<SynthVoice*> (synth.addVoice (new SynthVoice (shared)));
        synth.setCurrentPlaybackSampleRate (sampleRate);
    }

    void noteOn (int note, float velocity = 1.0f) { synth.noteOn (1, note, velocity); }

    /** Queues a MIDI message for the first sample of the next render, where the synthesiser
        handles it as it would a device's (the pitch wheel position is remembered for later
        notes only this way). */
    void queueMidi (const juce::MidiMessage& message) { pendingMidi.addEvent (message, 0); }
    void noteOff (int note, bool tailOff = true) { synth.noteOff (1, note, 0.0f, tailOff); }

    /** Renders into a fresh stereo buffer (or one of the given channel count) in blocks of
        the given size, the way the processor would. */
    juce::AudioBuffer<float> render (int numSamples, int blockSize = 512, int numChannels = 2)
    {
        juce::AudioBuffer<float> buffer (numChannels, numSamples);
        buffer.clear();
        for (int start = 0; start < numSamples; start += blockSize)
        {
            synth.renderNextBlock (buffer, pendingMidi, start, std::min (blockSize, numSamples - start));
            pendingMidi.clear();
        }

        return buffer;
    }
};

} // namespace halvo::test
