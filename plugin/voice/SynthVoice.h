#pragma once

#include "dsp/DualFilter.h"
#include "dsp/LinearEnvelope.h"
#include "engine/VoiceSharedState.h"
#include "modulation/ModulationMatrix.h"
#include "modulation/ModulationSource.h"
#include "voice/CapturePlayer.h"
#include "voice/TableOscillator.h"
#include "voice/UnisonEngine.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>

namespace halvo
{

/** One voice of the polyphonic engine: three unison wavetable oscillators, a sub oscillator,
    noise and the captured sound, mixed to stereo; the mid part passes the two filters while
    the side part bypasses them; then the amplitude envelope.

    Everything global (parameters, tables, capture, the modulation settings) is read from the
    shared state the processor refreshes before every block. Pitch, levels, modulation and
    filter coefficients are worked out once per block; only the oscillators, the level ramps,
    the filters and the amplitude envelope run per sample. */
class SynthVoice final : public juce::SynthesiserVoice
{
public:
    /** The nine routes every voice starts with, driven by the fixed-depth parameters; the
        user's routes follow them in the same list. */
    static constexpr int numFixedRoutes = 9;

    explicit SynthVoice (const VoiceSharedState& sharedState);

    bool canPlaySound (juce::SynthesiserSound* sound) override;
    void setCurrentPlaybackSampleRate (double newRate) override;
    void startNote (int midiNoteNumber, float velocity, juce::SynthesiserSound* sound, int currentPitchWheelPosition) override;
    void stopNote (float velocity, bool allowTailOff) override;
    void pitchWheelMoved (int newPitchWheelValue) override;
    void controllerMoved (int controllerNumber, int newControllerValue) override;
    void renderNextBlock (juce::AudioBuffer<float>& outputBuffer, int startSample, int numSamples) override;
    using juce::SynthesiserVoice::renderNextBlock;

    /** Recomputes every oscillator's increments and band-limit levels from the glided note,
        the bend, the oscillators' tuning and the modulated pitch offsets. */
    void updateOscillatorFrequencies() noexcept;

    /** Fills the matrix's source slots (the shared LFOs and macros, the voice's own envelopes,
        velocity, bend, note and capture amplitude) and, when the matrix has no routes yet,
        adds the nine fixed routes at depth 0. */
    void wireModulationMatrix() noexcept;

    //==============================================================================
    // Read-only views for inspection between blocks.
    const VoiceSharedState& getSharedState() const noexcept { return shared; }
    const LinearEnvelope& getAmpEnvelope() const noexcept { return ampEnvelope; }
    const LinearEnvelope& getModulationEnvelope (int index) const noexcept { return modEnvelopes[(size_t) index]; }
    const UnisonEngine& getOscillator (int index) const noexcept;
    const TableOscillator& getSubOscillator() const noexcept { return sub; }
    const CapturePlayer& getCapturePlayer() const noexcept { return capture; }
    const FilterSection& getFilters() const noexcept { return filters; }
    const ModulationMatrix& getModulationMatrix() const noexcept { return matrix; }
    float getCaptureAmplitude() const noexcept { return captureAmplitude.getValue(); }
    float getGlideNote() const noexcept { return glideCurrentNote; }
    float getBendSemitones() const noexcept { return bendSemitones; }
    float getVelocityGain() const noexcept { return velocityGain; }
    float getKeyFrequency() const noexcept { return keyFrequency; }

private:
    using LevelRamp = juce::SmoothedValue<float, juce::ValueSmoothingTypes::Linear>;

    // The block part, in the order renderNextBlock runs it.
    void refreshOscillatorSettings() noexcept;
    void advanceGlide (int numSamples) noexcept;
    void adoptCapture() noexcept;
    void advanceModulationEnvelopes (int numSamples) noexcept;
    void pickUpRoutes() noexcept;
    void evaluateModulation() noexcept;
    void applyModulation() noexcept;
    void applyWavetablePositions() noexcept;
    void updateFilters() noexcept;
    void renderSamples (juce::AudioBuffer<float>& outputBuffer, int startSample, int numSamples) noexcept;

    UnisonEngine::Settings oscillatorSettings (const OscillatorParams& params) const noexcept;
    void setBend (int pitchWheelPosition) noexcept;
    void wireSharedSources() noexcept;
    void jumpLevelRamps() noexcept;

    //==============================================================================
    const VoiceSharedState& shared;

    UnisonEngine oscA, oscB, oscC;
    LevelRamp oscALevel, oscBLevel, oscCLevel, subLevel, noiseLevel, captureLevel;

    TableOscillator sub;
    juce::Random noise;
    CapturePlayer capture;

    FilterSection filters;
    SingleFilterParams filter1Settings, filter2Settings;
    float keyFrequency = DualFilter::keyTrackReference;

    LinearEnvelope ampEnvelope;

    ValueModulationSource velocitySource { false };
    ValueModulationSource bendSource { true };
    ValueModulationSource noteSource { false };
    EnvelopeModulationSource ampEnvelopeSource { &ampEnvelope };
    CaptureAmplitudeSource captureAmplitude;

    std::array<LinearEnvelope, 3> modEnvelopes;  // ENV2, ENV3, ENV4
    std::array<EnvelopeModulationSource, 3> modEnvelopeSources { EnvelopeModulationSource { &modEnvelopes[0] },
                                                                 EnvelopeModulationSource { &modEnvelopes[1] },
                                                                 EnvelopeModulationSource { &modEnvelopes[2] } };

    ModulationMatrix matrix;
    int appliedRouteVersion = -1;

    // Modulation results kept between blocks.
    float pitchOffsetA = 0.0f, pitchOffsetB = 0.0f, pitchOffsetC = 0.0f;  // semitones
    float positionOffsetA = 0.0f, positionOffsetB = 0.0f, positionOffsetC = 0.0f;

    float playedNote = 60.0f;
    float bendSemitones = 0.0f;
    float velocityGain = 1.0f;
    float glideCurrentNote = 60.0f;
    float glideTargetNote = 60.0f;
    bool glideInitialised = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (SynthVoice)
};

} // namespace halvo
