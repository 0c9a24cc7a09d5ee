#include "engine/SharedStateRefresher.h"

#include "engine/ParameterLayout.h"
#include "engine/RawParameterReading.h"

namespace halvo
{

double tempoFromPlayHead (juce::AudioPlayHead* playHead)
{
    constexpr double fallbackBpm = 120.0;

    if (playHead == nullptr)
        return fallbackBpm;

    const auto position = playHead->getPosition();
    if (! position.hasValue())
        return fallbackBpm;

    const auto bpm = position->getBpm();
    if (! bpm.hasValue() || ! (*bpm > 0.0) || ! std::isfinite (*bpm))
        return fallbackBpm;

    return *bpm;
}

double beatsPerLfoCycle (int syncChoice)
{
    // "Hz", "8/1", "4/1", "2/1", "1/1", "1/2", "1/2T", "1/4", "1/4T", "1/8", "1/8T", "1/16", "1/16T", "1/32"
    static constexpr double beats[] = { 0.0,       32.0, 16.0, 8.0,       4.0,  2.0,       4.0 / 3.0,
                                        1.0,       2.0 / 3.0,  0.5,  1.0 / 3.0, 0.25, 1.0 / 6.0, 0.125 };

    if (syncChoice < 1 || syncChoice >= static_cast<int> (std::size (beats)))
        return 0.0;

    return beats[syncChoice];
}

namespace
{
    const std::atomic<float>* bind (juce::AudioProcessorValueTreeState& parameters, const juce::String& id)
    {
        auto* value = parameters.getRawParameterValue (id);
        jassert (value != nullptr); // every ID read here belongs to the parameter layout
        return value;
    }
} // namespace

SharedStateRefresher::OscillatorParameters SharedStateRefresher::bindOscillator (juce::AudioProcessorValueTreeState& p,
                                                                                 const juce::String& letter)
{
    const auto id = [&letter] (const char* suffix) { return "osc" + letter + suffix; };
    return { bind (p, id ("Shape")),     bind (p, id ("Level")), bind (p, id ("Octave")),
             bind (p, id ("Tune")),      bind (p, id ("FineTune")), bind (p, id ("Wavetable")),
             bind (p, id ("WtPos")),     bind (p, id ("WarpMode")), bind (p, id ("WarpAmt")) };
}

SharedStateRefresher::EnvelopeParameters SharedStateRefresher::bindEnvelope (juce::AudioProcessorValueTreeState& p, int envNumber)
{
    return { bind (p, envParameterId (envNumber, "Attack")), bind (p, envParameterId (envNumber, "Decay")),
             bind (p, envParameterId (envNumber, "Sustain")), bind (p, envParameterId (envNumber, "Release")) };
}

SharedStateRefresher::SharedStateRefresher (juce::AudioProcessorValueTreeState& p)
    : oscA (bindOscillator (p, "A")),
      oscB (bindOscillator (p, "B")),
      oscC (bindOscillator (p, "C")),
      oscAFmAmt (bind (p, "oscAFmAmt")),
      subOscShape (bind (p, "subOscShape")),
      subOscLevel (bind (p, "subOscLevel")),
      noiseLevel (bind (p, "noiseLevel")),
      captureEnabled (bind (p, "captureEnabled")),
      captureLevel (bind (p, "captureLevel")),
      captureMode (bind (p, "captureMode")),
      captureInputGain (bind (p, "captureInputGain")),
      captureNoiseGate (bind (p, "captureNoiseGate")),
      ampEnvelope { bind (p, "envAttack"), bind (p, "envDecay"), bind (p, "envSustain"), bind (p, "envRelease") },
      filter1 { bind (p, "filterMode"), bind (p, "filter1Slope"), bind (p, "filterCutoff"), bind (p, "filterResonance"),
                bind (p, "filter1Drive"), bind (p, "filter1Mix"), bind (p, "filter1Keytrack") },
      filter2Enabled (bind (p, "filter2Enabled")),
      filter2 { bind (p, "filter2Mode"), bind (p, "filter2Slope"), bind (p, "filter2Cutoff"), bind (p, "filter2Resonance"),
                bind (p, "filter2Drive"), bind (p, "filter2Mix"), bind (p, "filter2Keytrack") },
      filterRouting (bind (p, "filterRouting")),
      fixedDepths { bind (p, "modDepthLfo1Cutoff"),    bind (p, "modDepthLfo1OscAPitch"), bind (p, "modDepthLfo2OscBPitch"),
                    bind (p, "modDepthVelocityCutoff"), bind (p, "modDepthLfo1OscAWtPos"), bind (p, "modDepthLfo2OscBWtPos"),
                    bind (p, "modDepthEnv2OscAWtPos"), bind (p, "modDepthEnv2Cutoff"),    bind (p, "modDepthLfo2Cutoff") },
      unisonCount (bind (p, "unisonCount")),
      unisonDetune (bind (p, "unisonDetune")),
      unisonWidth (bind (p, "unisonWidth")),
      voicePortamento (bind (p, "voicePortamento")),
      voiceLegato (bind (p, "voiceLegato"))
{
    for (int n = 1; n <= ModulationBlockSettings::numLfos; ++n)
        lfos[(size_t) n - 1] = { bind (p, lfoParameterId (n, "Rate")), bind (p, lfoParameterId (n, "Shape")),
                                 bind (p, lfoParameterId (n, "Phase")), bind (p, lfoParameterId (n, "Sync")) };

    for (int n = 1; n <= ModulationBlockSettings::numMacros; ++n)
        macros[(size_t) n - 1] = bind (p, macroParameterId (n));

    for (int n = 2; n <= 4; ++n)
        modEnvelopes[(size_t) n - 2] = bindEnvelope (p, n);
}

void SharedStateRefresher::refreshOscillator (OscillatorParams& osc, const OscillatorParameters& p)
{
    raw::readTruncatedClamped (p.shape, osc.shape, 0, 2);
    raw::read (p.level, osc.level);
    raw::readTruncated (p.octave, osc.octave);
    raw::readTruncated (p.tune, osc.tune);
    raw::read (p.fineTune, osc.fineTune);
    osc.useWavetable = true;
    raw::readTruncated (p.wavetable, osc.wavetableIndex);
    raw::read (p.wtPos, osc.wavetablePosition);
    raw::readTruncated (p.warpMode, osc.warpMode);
    raw::read (p.warpAmt, osc.warpAmount);
}

void SharedStateRefresher::refreshEnvelope (EnvelopeSettings& env, const EnvelopeParameters& p)
{
    raw::read (p.attack, env.attack);
    raw::read (p.decay, env.decay);
    raw::read (p.sustain, env.sustain);
    raw::read (p.release, env.release);
}

void SharedStateRefresher::refreshLfo (LfoBlockSettings& lfo, const LfoParameters& p, double tempoBpm)
{
    int32_t sync = 0;
    raw::readTruncated (p.sync, sync);

    if (const auto beats = beatsPerLfoCycle (sync); beats > 0.0)
        lfo.rate = static_cast<float> ((tempoBpm / 60.0) / beats);
    else
        raw::read (p.rate, lfo.rate);

    lfo.rate = std::isfinite (lfo.rate) ? std::clamp (lfo.rate, 0.01f, 50.0f) : 1.0f;

    raw::readTruncatedClamped (p.shape, lfo.shape, 0, 5);

    if (float phase = 0.0f; raw::read (p.phase, phase))
    {
        const float offset = phase - std::floor (phase);
        lfo.phaseOffset = (offset >= 0.0f && offset < 1.0f) ? offset : 0.0f;
    }
}

void SharedStateRefresher::refreshCaptureInput (CaptureInputSettings& captureInput) const
{
    if (float gain = 0.0f; raw::read (captureInputGain, gain))
        captureInput.inputGain.store (gain < 0.0f ? 0.0f : std::min (gain, 2.0f), std::memory_order_relaxed);

    if (float gateDb = 0.0f; raw::read (captureNoiseGate, gateDb))
    {
        gateDb = std::clamp (gateDb, -80.0f, -20.0f);
        captureInput.gateDb.store (gateDb, std::memory_order_relaxed);
        captureInput.gateFactor.store (gateDb > -120.0f ? std::pow (10.0f, gateDb / 20.0f) : 0.0f, std::memory_order_relaxed);
    }
}

void SharedStateRefresher::refresh (VoiceSharedState& state,
                                    ModulationBlockSettings& modulation,
                                    CaptureInputSettings& captureInput,
                                    double tempoBpm) const
{
    refreshOscillator (state.oscA, oscA);
    raw::read (oscAFmAmt, state.oscAFmAmount);
    refreshOscillator (state.oscB, oscB);
    refreshOscillator (state.oscC, oscC);

    // The sub oscillator offers Sine and Square; the voice plays them as WaveShape 0 and 2.
    if (int32_t subChoice = 0; raw::readTruncated (subOscShape, subChoice))
        state.subShape = subChoice == 1 ? 2 : 0;
    raw::read (subOscLevel, state.subLevel);
    raw::read (noiseLevel, state.noiseLevel);

    raw::readSwitch (captureEnabled, state.captureEnabled);
    raw::read (captureLevel, state.captureLevel);
    if (int32_t mode = 0; raw::readTruncated (captureMode, mode))
        state.captureGranular = mode == 1;

    refreshCaptureInput (captureInput);

    raw::read (ampEnvelope.attack, state.ampAttack);
    raw::read (ampEnvelope.decay, state.ampDecay);
    raw::read (ampEnvelope.sustain, state.ampSustain);
    raw::read (ampEnvelope.release, state.ampRelease);

    // Filter 1 is always in the signal path; its cutoff, resonance and mode are also kept as
    // separate fields for the voice's modulation of filter 1.
    raw::read (filter1.cutoff, state.filterCutoff);
    raw::read (filter1.resonance, state.filterResonance);
    raw::readTruncatedClamped (filter1.mode, state.filterMode, 0, 3);
    state.filter1.enabled = true;
    state.filter1.mode = state.filterMode;
    state.filter1.cutoff = state.filterCutoff;
    state.filter1.resonance = state.filterResonance;
    if (int32_t slope = 0; raw::readTruncated (filter1.slope, slope))
        state.filter1.slope = slope > 0 ? 1 : 0;
    raw::read (filter1.drive, state.filter1.drive);
    raw::read (filter1.mix, state.filter1.mix);
    raw::read (filter1.keyTrack, state.filter1.keyTrack);

    raw::readSwitch (filter2Enabled, state.filter2.enabled);
    raw::read (filter2.cutoff, state.filter2.cutoff);
    raw::read (filter2.resonance, state.filter2.resonance);
    raw::readTruncatedClamped (filter2.mode, state.filter2.mode, 0, 3);
    if (int32_t slope = 0; raw::readTruncated (filter2.slope, slope))
        state.filter2.slope = slope > 0 ? 1 : 0;
    raw::read (filter2.drive, state.filter2.drive);
    raw::read (filter2.mix, state.filter2.mix);
    raw::read (filter2.keyTrack, state.filter2.keyTrack);

    if (int32_t routing = 0; raw::readTruncated (filterRouting, routing))
        state.filterRouting = routing > 0 ? 1 : 0;

    for (size_t i = 0; i < fixedDepths.size(); ++i)
        raw::read (fixedDepths[i], state.fixedDepths[i]);

    modulation.tempoBpm = tempoBpm;
    for (size_t i = 0; i < lfos.size(); ++i)
        refreshLfo (modulation.lfos[i], lfos[i], tempoBpm);

    for (size_t i = 0; i < macros.size(); ++i)
        if (float value = 0.0f; raw::read (macros[i], value))
            modulation.macros[i] = std::clamp (value, 0.0f, 1.0f);

    refreshEnvelope (state.env2, modEnvelopes[0]);
    refreshEnvelope (state.env3, modEnvelopes[1]);
    refreshEnvelope (state.env4, modEnvelopes[2]);

    raw::readTruncated (unisonCount, state.unisonCount);
    raw::read (unisonDetune, state.unisonDetune);
    raw::read (unisonWidth, state.unisonWidth);
    raw::read (voicePortamento, state.portamento);
    raw::readSwitch (voiceLegato, state.legato);
}

} // namespace halvo
