#pragma once

#include "engine/BlockSettings.h"
#include "engine/VoiceSharedState.h"

#include <juce_audio_processors/juce_audio_processors.h>

namespace halvo
{

/** The tempo synced modulation follows: the play-head's tempo when the host reports a positive
    one, else 120 bpm. */
double tempoFromPlayHead (juce::AudioPlayHead* playHead);

/** Beats per LFO cycle for the sync choices 1..13 ("8/1" .. "1/32"); 0 for "Hz" and anything
    outside the list. */
double beatsPerLfoCycle (int syncChoice);

/** Reads the sound-shaping parameters once per block into the forms the voices and the global
    modulation sources use. The raw parameter values are looked up once, at construction, so a
    refresh is a series of atomic loads: no string look-ups, no allocation.
    A parameter that does not exist leaves its field unchanged. */
class SharedStateRefresher
{
public:
    explicit SharedStateRefresher (juce::AudioProcessorValueTreeState& parameters);

    void refresh (VoiceSharedState& state,
                  ModulationBlockSettings& modulation,
                  CaptureInputSettings& captureInput,
                  double tempoBpm) const;

private:
    using Raw = const std::atomic<float>*;

    struct OscillatorParameters
    {
        Raw shape, level, octave, tune, fineTune, wavetable, wtPos, warpMode, warpAmt;
    };

    struct FilterParameters
    {
        Raw mode, slope, cutoff, resonance, drive, mix, keyTrack;
    };

    struct EnvelopeParameters
    {
        Raw attack, decay, sustain, release;
    };

    struct LfoParameters
    {
        Raw rate, shape, phase, sync;
    };

    static OscillatorParameters bindOscillator (juce::AudioProcessorValueTreeState&, const juce::String& letter);
    static EnvelopeParameters bindEnvelope (juce::AudioProcessorValueTreeState&, int envNumber);

    static void refreshOscillator (OscillatorParams&, const OscillatorParameters&);
    static void refreshEnvelope (EnvelopeSettings&, const EnvelopeParameters&);
    static void refreshLfo (LfoBlockSettings&, const LfoParameters&, double tempoBpm);

    void refreshCaptureInput (CaptureInputSettings&) const;

    OscillatorParameters oscA, oscB, oscC;
    Raw oscAFmAmt;
    Raw subOscShape, subOscLevel, noiseLevel;
    Raw captureEnabled, captureLevel, captureMode, captureInputGain, captureNoiseGate;
    EnvelopeParameters ampEnvelope;
    FilterParameters filter1;
    Raw filter2Enabled;
    FilterParameters filter2;
    Raw filterRouting;
    std::array<Raw, VoiceSharedState::numFixedDepths> fixedDepths {};
    std::array<LfoParameters, ModulationBlockSettings::numLfos> lfos {};
    std::array<Raw, ModulationBlockSettings::numMacros> macros {};
    std::array<EnvelopeParameters, 3> modEnvelopes {};
    Raw unisonCount, unisonDetune, unisonWidth, voicePortamento, voiceLegato;
};

} // namespace halvo
