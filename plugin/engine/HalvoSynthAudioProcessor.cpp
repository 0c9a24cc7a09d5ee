#include "engine/HalvoSynthAudioProcessor.h"

#include "engine/MidiTransforms.h"
#include "engine/OutputStage.h"
#include "engine/ParameterLayout.h"
#include "engine/RawParameterReading.h"
#include "voice/SynthSound.h"
#include "voice/SynthVoice.h"

namespace halvo
{

namespace
{
    constexpr const char* productName = "HALVO SYNTHESIZER";
    constexpr size_t keyboardMidiBytes = 1024;
    constexpr size_t transposeScratchBytes = 4096;

    bool isMonoOrStereo (const juce::AudioChannelSet& set)
    {
        return set == juce::AudioChannelSet::mono() || set == juce::AudioChannelSet::stereo();
    }
} // namespace

juce::AudioProcessor::BusesProperties HalvoSynthAudioProcessor::createBusLayout()
{
    // The input bus only feeds the capture recorder; its audio never reaches the output.
    return BusesProperties()
        .withOutput ("Output", juce::AudioChannelSet::stereo(), true)
        .withInput ("Capture Input", juce::AudioChannelSet::stereo(), false);
}

HalvoSynthAudioProcessor::HalvoSynthAudioProcessor()
    : juce::AudioProcessor (createBusLayout()),
      wavetables (SharedWavetables::instance()),
      parameters (*this, nullptr, "HALVO_SYNTH_STATE", createParameterLayout()),
      sharedStateRefresher (parameters),
      masterGainDb (parameters.getRawParameterValue ("masterGain")),
      globalTransposeSemitones (parameters.getRawParameterValue ("globalTranspose")),
      voiceMono (parameters.getRawParameterValue ("voiceMono")),
      arpParameters { parameters.getRawParameterValue ("arpOn"),      parameters.getRawParameterValue ("arpMode"),
                      parameters.getRawParameterValue ("arpRate"),    parameters.getRawParameterValue ("arpOctaves"),
                      parameters.getRawParameterValue ("arpGate"),    parameters.getRawParameterValue ("arpHold") },
      effects (parameters)
{
    sharedState.wavetableBank = &wavetables.bank;
    sharedState.wavetableLibrary = &wavetables.library;
    sharedState.captureEngine = &captureEngine;
    sharedState.routeSnapshot = &globalModulation.getRouteSnapshot();
    for (int i = 0; i < GlobalModulation::numLfos; ++i)
        sharedState.lfos[(size_t) i] = &globalModulation.getLfo (i);
    for (int i = 0; i < GlobalModulation::numMacros; ++i)
        sharedState.macros[(size_t) i] = &globalModulation.getMacro (i);

    synth.addSound (new SynthSound());
    rebuildVoices (maxVoices);
}

HalvoSynthAudioProcessor::~HalvoSynthAudioProcessor() = default;

juce::AudioProcessorValueTreeState::ParameterLayout HalvoSynthAudioProcessor::createParameterLayout()
{
    return buildParameterLayout();
}

//==============================================================================
const juce::String HalvoSynthAudioProcessor::getName() const { return productName; }
bool HalvoSynthAudioProcessor::acceptsMidi() const { return true; }
bool HalvoSynthAudioProcessor::producesMidi() const { return false; }
bool HalvoSynthAudioProcessor::isMidiEffect() const { return false; }
double HalvoSynthAudioProcessor::getTailLengthSeconds() const { return 0.0; }

bool HalvoSynthAudioProcessor::hasEditor() const { return true; }

juce::AudioProcessorEditor* HalvoSynthAudioProcessor::createEditor()
{
    return new juce::GenericAudioProcessorEditor (*this);
}

//==============================================================================
int HalvoSynthAudioProcessor::getNumPrograms() { return 1; }
int HalvoSynthAudioProcessor::getCurrentProgram() { return currentProgram; }
void HalvoSynthAudioProcessor::setCurrentProgram (int) {}
const juce::String HalvoSynthAudioProcessor::getProgramName (int) { return {}; }
void HalvoSynthAudioProcessor::changeProgramName (int, const juce::String&) {}

void HalvoSynthAudioProcessor::getStateInformation (juce::MemoryBlock&) {}
void HalvoSynthAudioProcessor::setStateInformation (const void*, int) {}

//==============================================================================
bool HalvoSynthAudioProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    if (! isMonoOrStereo (layouts.getMainOutputChannelSet()))
        return false;

    // A disabled capture input is fine; an enabled one must be mono or stereo.
    if (layouts.inputBuses.isEmpty())
        return true;

    const auto input = layouts.getMainInputChannelSet();
    return input.isDisabled() || isMonoOrStereo (input);
}

void HalvoSynthAudioProcessor::prepareToPlay (double sampleRate, int)
{
    synth.setCurrentPlaybackSampleRate (sampleRate);
    globalModulation.prepare (sampleRate);
    arpeggiator.prepare (sampleRate);
    effects.prepare (sampleRate);

    keyboardMidi.ensureSize (keyboardMidiBytes);
    transposeScratch.ensureSize (transposeScratchBytes);
}

void HalvoSynthAudioProcessor::releaseResources() {}

//==============================================================================
void HalvoSynthAudioProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiMessages)
{
    const juce::ScopedNoDenormals noDenormals;
    const int numSamples = buffer.getNumSamples();

    recordCaptureInput (buffer, numSamples);
    buffer.clear();
    refreshSharedStateFromParameters();
    runGlobalModulation (numSamples);

    mergeKeyboardMidi (midiMessages, numSamples);
    uiMidiQueue.drainInto (midiMessages, numSamples);
    applyGlobalTranspose (midiMessages);

    updateVoiceCount();
    synth.setNoteStealingEnabled (true);

    auto& notesToPlay = runArpeggiator (midiMessages, numSamples);
    synth.renderNextBlock (buffer, notesToPlay, 0, numSamples);

    renderCapturePreview (buffer, numSamples);
    processFixedEffects (buffer, numSamples);
    processEffectsRack (buffer, numSamples);

    output::applyMasterGain (buffer, numSamples, raw::valueOr (masterGainDb, 0.0f));
    output::applySoftClip (buffer, numSamples);
    outputPeak.store (output::peakOf (buffer, numSamples), std::memory_order_relaxed);
}

void HalvoSynthAudioProcessor::refreshSharedStateFromParameters()
{
    sharedStateRefresher.refresh (sharedState, modulationSettings, captureInputSettings, tempoFromPlayHead (getPlayHead()));
}

bool HalvoSynthAudioProcessor::queueEditorMidi (const juce::MidiMessage& message, int samplePosition) noexcept
{
    return uiMidiQueue.push (message, samplePosition);
}

namespace
{
    template <typename Predicate>
    int countActiveVoices (const juce::Synthesiser& synth, Predicate&& matches) noexcept
    {
        int count = 0;
        for (int i = 0; i < synth.getNumVoices(); ++i)
            if (auto* voice = synth.getVoice (i); voice != nullptr && voice->isVoiceActive() && matches (*voice))
                ++count;

        return count;
    }
} // namespace

int HalvoSynthAudioProcessor::countSoundingVoices() const noexcept
{
    return countActiveVoices (synth, [] (const juce::SynthesiserVoice&) { return true; });
}

bool HalvoSynthAudioProcessor::isNoteSounding (int midiNote) const noexcept
{
    return countActiveVoices (synth, [midiNote] (const juce::SynthesiserVoice& voice)
                              { return voice.getCurrentlyPlayingNote() == midiNote; }) > 0;
}

//==============================================================================
bool HalvoSynthAudioProcessor::createRouteFromDrop (const juce::String& sourceKey, const juce::String& parameterId)
{
    const bool changed = globalModulation.getRouteList().createFromDrop (sourceKey, parameterId);
    if (changed)
        globalModulation.publishRoutes();
    return changed;
}

bool HalvoSynthAudioProcessor::setRouteDepthForParameter (const juce::String& parameterId, float depth)
{
    const bool changed = globalModulation.getRouteList().setDepthForParameter (parameterId, depth);
    if (changed)
        globalModulation.publishRoutes();
    return changed;
}

void HalvoSynthAudioProcessor::setRouteDepth (int routeIndex, float depth)
{
    globalModulation.getRouteList().setRouteDepth (routeIndex, depth);
    globalModulation.publishRoutes();
}

void HalvoSynthAudioProcessor::removeRoute (int routeIndex)
{
    globalModulation.getRouteList().removeRoute (routeIndex);
    globalModulation.publishRoutes();
}

void HalvoSynthAudioProcessor::removeRoutes (const std::vector<int>& routePositions)
{
    globalModulation.getRouteList().removeRoutesAt (routePositions);
    globalModulation.publishRoutes();
}

std::vector<LfoPoint> HalvoSynthAudioProcessor::getLfoPoints (int lfoNumber) const
{
    return globalModulation.getCustomShapes().getPoints (lfoNumber);
}

void HalvoSynthAudioProcessor::setLfoPoints (int lfoNumber, const std::vector<LfoPoint>& points)
{
    globalModulation.getCustomShapes().setPoints (lfoNumber, points);
}

bool HalvoSynthAudioProcessor::isLfoCustomActive (int lfoNumber) const
{
    return globalModulation.getCustomShapes().isActive (lfoNumber);
}

void HalvoSynthAudioProcessor::setLfoCustomActive (int lfoNumber, bool active)
{
    globalModulation.getCustomShapes().setActive (lfoNumber, active);
}

//==============================================================================
void HalvoSynthAudioProcessor::recordCaptureInput (const juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    // 0 channels when the capture input is disabled: a take then ends at once.
    inputBusRecorder.record (buffer, getMainBusNumInputChannels(), numSamples);
}

void HalvoSynthAudioProcessor::runGlobalModulation (int numSamples) noexcept
{
    globalModulation.processBlock (modulationSettings, numSamples);
}

void HalvoSynthAudioProcessor::mergeKeyboardMidi (juce::MidiBuffer& midiMessages, int numSamples)
{
    keyboardMidi.clear();
    keyboardState.processNextMidiBuffer (keyboardMidi, 0, numSamples, true);
    midiMessages.addEvents (keyboardMidi, 0, numSamples, 0);
}

void HalvoSynthAudioProcessor::applyGlobalTranspose (juce::MidiBuffer& midiMessages)
{
    const int semitones = raw::roundHalfAwayFromZero (raw::valueOr (globalTransposeSemitones, 0.0f));
    transposeNotes (midiMessages, transposeScratch, semitones);
}

void HalvoSynthAudioProcessor::updateVoiceCount()
{
    const int target = raw::valueOr (voiceMono, 0.0f) >= 0.5f ? 1 : maxVoices;
    if (synth.getNumVoices() != target)
        rebuildVoices (target);
}

void HalvoSynthAudioProcessor::rebuildVoices (int numVoices)
{
    // Changing between mono and poly cuts whatever sounds: the old voices go entirely.
    synth.clearVoices();

    for (int i = 0; i < numVoices; ++i)
        synth.addVoice (new SynthVoice (sharedState));

    synth.setCurrentPlaybackSampleRate (getSampleRate());
}

const juce::MidiBuffer& HalvoSynthAudioProcessor::runArpeggiator (const juce::MidiBuffer& midiMessages, int numSamples) noexcept
{
    Arpeggiator::Settings settings;
    settings.on = raw::valueOr (arpParameters.on, 0.0f) >= 0.5f;
    settings.hold = raw::valueOr (arpParameters.hold, 0.0f) >= 0.5f;
    settings.mode = raw::truncate (raw::valueOr (arpParameters.mode, 0.0f));
    settings.rateIndex = raw::truncate (raw::valueOr (arpParameters.rate, 3.0f));
    settings.octaves = raw::truncate (raw::valueOr (arpParameters.octaves, 1.0f));
    settings.gate = raw::valueOr (arpParameters.gate, 0.5f);
    settings.tempoBpm = modulationSettings.tempoBpm;

    // With the arpeggiator off the voices play the block's own MIDI.
    return arpeggiator.process (midiMessages, numSamples, settings);
}

void HalvoSynthAudioProcessor::renderCapturePreview (juce::AudioBuffer<float>&, int) noexcept
{
    // The preview of a captured or dropped sound is mixed in here, after the voices.
}

void HalvoSynthAudioProcessor::processFixedEffects (juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    effects.processFixedEffects (buffer, numSamples);
}

void HalvoSynthAudioProcessor::processEffectsRack (juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    effects.processRack (buffer, numSamples);
}

} // namespace halvo

//==============================================================================
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return new halvo::HalvoSynthAudioProcessor();
}
