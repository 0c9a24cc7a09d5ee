#pragma once

#include "capture/CaptureEngine.h"
#include "engine/Arpeggiator.h"
#include "engine/BlockSettings.h"
#include "engine/EditorMidiQueue.h"
#include "engine/InputBusRecorder.h"
#include "engine/SharedStateRefresher.h"
#include "engine/VoiceSharedState.h"
#include "fx/EffectsSection.h"
#include "modulation/GlobalModulation.h"
#include "wavetable/SharedWavetables.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <atomic>

namespace halvo
{

/** The engine root: owns every piece of audio-side state (parameters, voices, modulation,
    effects, capture) and runs the audio block.

    The audio block runs its stages in a fixed order: input-bus recording, clear, shared-state
    refresh, global modulation, on-screen keyboard and editor MIDI, transpose, voice count,
    note stealing, arpeggiator, voices, captured-audio preview, fixed effects, effects rack,
    master gain, output safety clip and the output peak. */
class HalvoSynthAudioProcessor final : public juce::AudioProcessor
{
public:
    static constexpr int maxVoices = 16;

    HalvoSynthAudioProcessor();
    ~HalvoSynthAudioProcessor() override;

    static juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout();

    //==============================================================================
    const juce::String getName() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;
    bool isMidiEffect() const override;
    double getTailLengthSeconds() const override;

    bool hasEditor() const override;
    juce::AudioProcessorEditor* createEditor() override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    void prepareToPlay (double sampleRate, int samplesPerBlock) override;
    void releaseResources() override;
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages) override;
    using juce::AudioProcessor::processBlock;

    //==============================================================================
    /** Rewrites the voices' shared state, the global modulation settings and the capture
        input settings from the parameters. First thing every audio block. */
    void refreshSharedStateFromParameters();

    //==============================================================================
    // What the editor (and tests) read and drive. All message thread unless noted.

    juce::AudioProcessorValueTreeState& getParameters() noexcept { return parameters; }
    juce::MidiKeyboardState& getKeyboardState() noexcept { return keyboardState; }

    /** Queues a short MIDI message from an editor control (the wheels) for the next block,
        at the given sample position. */
    bool queueEditorMidi (const juce::MidiMessage& message, int samplePosition = 0) noexcept;

    InputBusRecorder& getInputBusRecorder() noexcept { return inputBusRecorder; }
    const Arpeggiator& getArpeggiator() const noexcept { return arpeggiator; }
    CaptureEngine& getCaptureEngine() noexcept { return captureEngine; }
    const WavetableBank& getWavetableBank() const noexcept { return wavetables.bank; }
    const WavetableLibrary& getWavetableLibrary() const noexcept { return wavetables.library; }

    /** Largest absolute output sample of the last block. */
    float getOutputPeak() const noexcept { return outputPeak.load (std::memory_order_relaxed); }

    /** Voices currently in the synthesiser: 16, or 1 in mono mode. */
    int getNumVoices() const noexcept { return synth.getNumVoices(); }

    /** Voices that are playing a note (held or releasing). */
    int countSoundingVoices() const noexcept;

    /** True when a voice is playing the given (transposed) note. */
    bool isNoteSounding (int midiNote) const noexcept;

    //==============================================================================
    // Modulation: what the editor's chips, knob rings, menus and LFO panels call. Each route
    // change is published to the audio thread at once.

    /** A source chip dropped on a parameter's knob: a route at depth 0.5 (or the existing one
        re-armed at 0.5). Returns false when the source or the knob has no modulation. */
    bool createRouteFromDrop (const juce::String& sourceKey, const juce::String& parameterId);

    /** The knob's modulation ring: the knob's last route gets the depth (clamped to -1..1). */
    bool setRouteDepthForParameter (const juce::String& parameterId, float depth);

    void setRouteDepth (int routeIndex, float depth);
    void removeRoute (int routeIndex);
    /** Removes the routes at these list positions (positions no longer in the list are skipped). */
    void removeRoutes (const std::vector<int>& routePositions);
    const std::vector<UserModRoute>& getModRoutes() const noexcept { return globalModulation.getRoutes(); }

    /** LFO n (1..10): its drawn points, whether the drawing is played, and its phase. */
    std::vector<LfoPoint> getLfoPoints (int lfoNumber) const;
    void setLfoPoints (int lfoNumber, const std::vector<LfoPoint>& points);
    bool isLfoCustomActive (int lfoNumber) const;
    void setLfoCustomActive (int lfoNumber, bool active);
    float getLfoPhase (int lfoNumber) const noexcept { return globalModulation.getPhaseReadout (lfoNumber); }

    GlobalModulation& getGlobalModulation() noexcept { return globalModulation; }

    //==============================================================================
    // The effects rack's order (in memory only; the rack panel's arrows move its entries).
    EffectsSection::Order getRackOrder() const noexcept { return effects.getRackOrder(); }
    void moveRackSlot (int from, int to) noexcept { effects.moveSlot (from, to); }

    // Audio-thread records, exposed read-only for inspection between blocks.
    const VoiceSharedState& getSharedState() const noexcept { return sharedState; }
    const ModulationBlockSettings& getModulationSettings() const noexcept { return modulationSettings; }
    const CaptureInputSettings& getCaptureInputSettings() const noexcept { return captureInputSettings; }

private:
    //==============================================================================
    // The stages of the audio block, in the order processBlock runs them.
    void recordCaptureInput (const juce::AudioBuffer<float>& buffer, int numSamples) noexcept;
    void runGlobalModulation (int numSamples) noexcept;
    void mergeKeyboardMidi (juce::MidiBuffer& midiMessages, int numSamples);
    void applyGlobalTranspose (juce::MidiBuffer& midiMessages);
    void updateVoiceCount();
    const juce::MidiBuffer& runArpeggiator (const juce::MidiBuffer& midiMessages, int numSamples) noexcept;
    void renderCapturePreview (juce::AudioBuffer<float>& buffer, int numSamples) noexcept;
    void processFixedEffects (juce::AudioBuffer<float>& buffer, int numSamples) noexcept;
    void processEffectsRack (juce::AudioBuffer<float>& buffer, int numSamples) noexcept;

    static BusesProperties createBusLayout();
    void rebuildVoices (int numVoices);

    //==============================================================================
    // The tables never change once built, so every processor in the process shares one copy.
    const SharedWavetables& wavetables;
    CaptureEngine captureEngine;
    GlobalModulation globalModulation;
    VoiceSharedState sharedState;
    juce::Synthesiser synth;
    juce::AudioProcessorValueTreeState parameters;
    SharedStateRefresher sharedStateRefresher;
    ModulationBlockSettings modulationSettings;
    CaptureInputSettings captureInputSettings;

    const std::atomic<float>* masterGainDb = nullptr;
    const std::atomic<float>* globalTransposeSemitones = nullptr;
    const std::atomic<float>* voiceMono = nullptr;

    struct ArpeggiatorParameters
    {
        const std::atomic<float>* on = nullptr;
        const std::atomic<float>* mode = nullptr;
        const std::atomic<float>* rate = nullptr;
        const std::atomic<float>* octaves = nullptr;
        const std::atomic<float>* gate = nullptr;
        const std::atomic<float>* hold = nullptr;
    };
    ArpeggiatorParameters arpParameters;
    Arpeggiator arpeggiator;
    EffectsSection effects;

    juce::MidiKeyboardState keyboardState;
    juce::MidiBuffer keyboardMidi;
    juce::MidiBuffer transposeScratch;
    EditorMidiQueue uiMidiQueue;

    int currentProgram = 0;

    InputBusRecorder inputBusRecorder;
    std::atomic<float> outputPeak { 0.0f };

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (HalvoSynthAudioProcessor)
};

} // namespace halvo

/** The factory the standalone wrapper (and any other host of the processor) calls. */
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter();
