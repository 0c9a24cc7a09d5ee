#include "voice/SynthVoice.h"

#include "capture/CaptureEngine.h"
#include "modulation/LFO.h"
#include "voice/SynthSound.h"
#include "wavetable/WavetableBank.h"
#include "wavetable/WavetableLibrary.h"

#include <algorithm>
#include <cmath>

namespace halvo
{

namespace
{
    constexpr double levelRampSeconds = 0.02;
    constexpr float bendRangeSemitones = 2.0f;
    constexpr float maxModulatedLevel = 1.5f;
    constexpr float minimumPortamento = 1.0e-4f;

    double noteToFrequency (double note) noexcept
    {
        return 440.0 * std::exp2 ((note - 69.0) / 12.0);
    }

    float modulatedLevel (float level, float modulation) noexcept
    {
        return std::clamp (level + modulation, 0.0f, maxModulatedLevel);
    }
} // namespace

SynthVoice::SynthVoice (const VoiceSharedState& sharedState)
    : shared (sharedState)
{
    // A sample rate of 0 means the voice was never prepared; 44100 keeps it playable.
    setCurrentPlaybackSampleRate (44100.0);
    wireModulationMatrix();
}

//==============================================================================
void SynthVoice::wireSharedSources() noexcept
{
    for (int n = 1; n <= VoiceSharedState::numLfos; ++n)
        matrix.setSource ((ModulationSourceId) lfoSourceSlot (n), shared.lfos[(size_t) n - 1]);

    for (int n = 1; n <= VoiceSharedState::numMacros; ++n)
        matrix.setSource ((ModulationSourceId) macroSourceSlot (n), shared.macros[(size_t) n - 1]);
}

void SynthVoice::wireModulationMatrix() noexcept
{
    using Id = ModulationSourceId;
    using Dest = ModulationDestination;

    wireSharedSources();
    matrix.setSource (Id::ENV1, &ampEnvelopeSource);
    matrix.setSource (Id::VEL, &velocitySource);
    matrix.setSource (Id::BEND, &bendSource);
    matrix.setSource (Id::CAPAMP, &captureAmplitude);
    matrix.setSource (Id::ENV2, &modEnvelopeSources[0]);
    matrix.setSource (Id::ENV3, &modEnvelopeSources[1]);
    matrix.setSource (Id::ENV4, &modEnvelopeSources[2]);
    matrix.setSource (Id::NOTE, &noteSource);

    if (matrix.getNumRoutes() > 0)
        return;

    // In the order of the fixed-depth parameters, which set their depths every block.
    const std::pair<Id, Dest> fixedRoutes[numFixedRoutes] = {
        { Id::LFO1, Dest::F1_CUTOFF },  { Id::LFO1, Dest::OSCA_PITCH }, { Id::LFO2, Dest::OSCB_PITCH },
        { Id::VEL, Dest::F1_CUTOFF },   { Id::LFO1, Dest::OSCA_WTPOS }, { Id::LFO2, Dest::OSCB_WTPOS },
        { Id::ENV2, Dest::OSCA_WTPOS }, { Id::ENV2, Dest::F1_CUTOFF },  { Id::LFO2, Dest::F1_CUTOFF },
    };

    for (const auto& [source, destination] : fixedRoutes)
        matrix.addRoute (source, destination, 0.0f, true);
}

bool SynthVoice::canPlaySound (juce::SynthesiserSound* sound)
{
    return dynamic_cast<SynthSound*> (sound) != nullptr;
}

const UnisonEngine& SynthVoice::getOscillator (int index) const noexcept
{
    return index == 0 ? oscA : (index == 1 ? oscB : oscC);
}

//==============================================================================
void SynthVoice::setCurrentPlaybackSampleRate (double newRate)
{
    juce::SynthesiserVoice::setCurrentPlaybackSampleRate (newRate);
    if (newRate <= 0.0)
        return;

    oscA.prepare (newRate);
    oscB.prepare (newRate);
    oscC.prepare (newRate);
    sub.sampleRate = newRate;
    sub.phase = 0.0f;
    capture.prepare (newRate);

    for (auto* ramp : { &oscALevel, &oscBLevel, &oscCLevel, &subLevel, &noiseLevel, &captureLevel })
    {
        ramp->reset (newRate, levelRampSeconds);
        ramp->setCurrentAndTargetValue (ramp->getTargetValue());
    }

    filters.prepare (newRate);

    ampEnvelope.setSampleRate (newRate);
    for (auto& envelope : modEnvelopes)
        envelope.setSampleRate (newRate);

    captureAmplitude.prepare (newRate);
    ampEnvelopeSource.prepare (newRate);
    for (auto& source : modEnvelopeSources)
        source.prepare (newRate);

    wireModulationMatrix();
}

void SynthVoice::startNote (int midiNoteNumber, float velocity, juce::SynthesiserSound*, int currentPitchWheelPosition)
{
    playedNote = (float) midiNoteNumber;
    velocityGain = std::clamp (velocity, 0.0f, 1.0f);
    glideTargetNote = playedNote;

    // The first note a voice plays has nothing to glide from.
    if (! glideInitialised || shared.portamento <= minimumPortamento)
    {
        glideCurrentNote = playedNote;
        glideInitialised = true;
    }

    setBend (currentPitchWheelPosition);

    velocitySource.setValue (velocity);
    noteSource.setValue ((float) midiNoteNumber / 127.0f);
    wireSharedSources();

    refreshOscillatorSettings();
    oscA.startNote();
    oscB.startNote();
    oscC.startNote();
    sub.phase = 0.0f;
    capture.startNote (shared.captureEngine);
    jumpLevelRamps();
    captureAmplitude.reset();
    pitchOffsetA = pitchOffsetB = pitchOffsetC = 0.0f;
    positionOffsetA = positionOffsetB = positionOffsetC = 0.0f;

    updateOscillatorFrequencies();

    // A new note starts from silence at exactly the set cutoff.
    filter1Settings = shared.filter1;
    filter2Settings = shared.filter2;
    keyFrequency = FilterSection::keyFrequency (playedNote, bendSemitones);
    filters.update (filter1Settings, filter2Settings, shared.filterRouting, keyFrequency);
    filters.startNote();

    ampEnvelope.setParameters (shared.ampAttack, shared.ampDecay, shared.ampSustain, shared.ampRelease);
    ampEnvelope.noteOn();

    const std::array<const EnvelopeSettings*, 3> modSettings { &shared.env2, &shared.env3, &shared.env4 };
    for (size_t i = 0; i < modEnvelopes.size(); ++i)
    {
        modEnvelopes[i].setParameters (modSettings[i]->attack, modSettings[i]->decay, modSettings[i]->sustain, modSettings[i]->release);
        modEnvelopes[i].noteOn();
    }
}

void SynthVoice::jumpLevelRamps() noexcept
{
    oscALevel.setCurrentAndTargetValue (shared.oscA.level);
    oscBLevel.setCurrentAndTargetValue (shared.oscB.level);
    oscCLevel.setCurrentAndTargetValue (shared.oscC.level);
    subLevel.setCurrentAndTargetValue (shared.subLevel);
    noiseLevel.setCurrentAndTargetValue (shared.noiseLevel);
    captureLevel.setCurrentAndTargetValue (shared.captureEnabled ? shared.captureLevel : 0.0f);
}

void SynthVoice::stopNote (float, bool allowTailOff)
{
    if (allowTailOff)
    {
        ampEnvelope.noteOff();
        for (auto& envelope : modEnvelopes)
            envelope.noteOff();
        return;
    }

    // A stolen or cut voice stops at once and must not render again until its next note.
    ampEnvelope.reset();
    for (auto& envelope : modEnvelopes)
        envelope.reset();
    clearCurrentNote();
}

void SynthVoice::setBend (int pitchWheelPosition) noexcept
{
    const float bend = (float) (pitchWheelPosition - 8192) / 8192.0f;
    bendSemitones = bendRangeSemitones * bend;
    bendSource.setValue (bend);
}

void SynthVoice::pitchWheelMoved (int newPitchWheelValue)
{
    setBend (newPitchWheelValue);
    updateOscillatorFrequencies();
}

void SynthVoice::controllerMoved (int, int) {}

//==============================================================================
void SynthVoice::updateOscillatorFrequencies() noexcept
{
    const float basePitch = glideCurrentNote + bendSemitones;

    const auto oscillatorPitch = [basePitch] (const OscillatorParams& params, float offset)
    {
        return params.fineTune / 100.0f + (float) params.tune + 12.0f * (float) params.octave + offset + basePitch;
    };

    oscA.setFrequency (noteToFrequency (oscillatorPitch (shared.oscA, pitchOffsetA)));
    oscB.setFrequency (noteToFrequency (oscillatorPitch (shared.oscB, pitchOffsetB)));
    oscC.setFrequency (noteToFrequency (oscillatorPitch (shared.oscC, pitchOffsetC)));

    // The sub follows the played note an octave down, whatever the oscillators' tuning.
    sub.setFrequency (0.5 * noteToFrequency (basePitch));

    if (const auto* engine = shared.captureEngine)
    {
        const double ratio = std::exp2 (((double) basePitch - 60.0) / 12.0);
        capture.setPitch ((double) engine->getRootFrequency() * ratio, (float) ratio);
    }
}

UnisonEngine::Settings SynthVoice::oscillatorSettings (const OscillatorParams& params) const noexcept
{
    UnisonEngine::Settings settings;

    if (params.useWavetable && shared.wavetableLibrary != nullptr)
    {
        settings.morphTable = &shared.wavetableLibrary->get (params.wavetableIndex);
        settings.position = params.wavetablePosition;
    }

    settings.shapeTable = &shared.wavetableBank->forShapeIndex (params.shape);
    settings.unisonCount = shared.unisonCount;
    settings.detuneCents = shared.unisonDetune;
    settings.width = shared.unisonWidth;
    settings.warpMode = params.warpMode;
    settings.warpAmount = params.warpAmount;
    return settings;
}

void SynthVoice::refreshOscillatorSettings() noexcept
{
    if (shared.wavetableBank == nullptr)
        return;

    oscA.configure (oscillatorSettings (shared.oscA));
    oscB.configure (oscillatorSettings (shared.oscB));
    oscC.configure (oscillatorSettings (shared.oscC));
    sub.table = &shared.wavetableBank->forShapeIndex (shared.subShape);
}

//==============================================================================
void SynthVoice::renderNextBlock (juce::AudioBuffer<float>& outputBuffer, int startSample, int numSamples)
{
    if (ampEnvelope.isIdle())
        return;

    refreshOscillatorSettings();
    advanceGlide (numSamples);
    adoptCapture();
    advanceModulationEnvelopes (numSamples);
    pickUpRoutes();
    evaluateModulation();
    applyModulation();
    updateOscillatorFrequencies();
    applyWavetablePositions();
    ampEnvelope.setParameters (shared.ampAttack, shared.ampDecay, shared.ampSustain, shared.ampRelease);
    updateFilters();

    renderSamples (outputBuffer, startSample, numSamples);
}

void SynthVoice::advanceGlide (int numSamples) noexcept
{
    // One exponential step per block towards the target note.
    const double sampleRate = getSampleRate();
    float amount = 1.0f;

    if (shared.portamento > minimumPortamento && sampleRate > 0.0)
        amount = std::clamp ((float) (1.0 - std::exp (-((double) numSamples / sampleRate) / (double) shared.portamento)), 0.0f, 1.0f);

    glideCurrentNote += (glideTargetNote - glideCurrentNote) * amount;
    if (std::abs (glideTargetNote - glideCurrentNote) < 0.001f)
        glideCurrentNote = glideTargetNote;
}

void SynthVoice::adoptCapture() noexcept
{
    if (capture.adopt (shared.captureEngine))
        updateOscillatorFrequencies();
}

void SynthVoice::advanceModulationEnvelopes (int numSamples) noexcept
{
    const std::array<const EnvelopeSettings*, 3> modSettings { &shared.env2, &shared.env3, &shared.env4 };

    for (size_t i = 0; i < modEnvelopes.size(); ++i)
    {
        modEnvelopes[i].setParameters (modSettings[i]->attack, modSettings[i]->decay, modSettings[i]->sustain, modSettings[i]->release);
        if (numSamples > 0)
            modEnvelopes[i].advance (numSamples);
    }
}

void SynthVoice::pickUpRoutes() noexcept
{
    for (int i = 0; i < numFixedRoutes && i < matrix.getNumRoutes(); ++i)
        matrix.setDepth (i, shared.fixedDepths[(size_t) i]);

    const auto* snapshot = shared.routeSnapshot;
    if (snapshot == nullptr || snapshot->version == appliedRouteVersion)
        return;

    // The user's routes follow the fixed ones; the matrix keeps the first 23 that fit.
    matrix.truncateRoutes (numFixedRoutes);
    for (int i = 0; i < snapshot->count && i < RouteSnapshot::maxRoutes; ++i)
    {
        const auto& route = snapshot->routes[(size_t) i];
        matrix.addRoute (route.source, route.destination, route.depth, route.enabled);
    }

    appliedRouteVersion = snapshot->version;
}

void SynthVoice::evaluateModulation() noexcept
{
    matrix.evaluate();
}

void SynthVoice::applyModulation() noexcept
{
    const auto d = [this] (ModulationDestination destination) { return matrix.getSum (destination); };
    using Dest = ModulationDestination;

    pitchOffsetA = 12.0f * d (Dest::OSCA_PITCH);
    pitchOffsetB = 12.0f * d (Dest::OSCB_PITCH);
    pitchOffsetC = 12.0f * d (Dest::OSCC_PITCH);

    filter1Settings = shared.filter1;
    filter1Settings.cutoff = shared.filter1.cutoff * std::exp2 (5.0f * d (Dest::F1_CUTOFF));
    filter1Settings.resonance = std::clamp (shared.filter1.resonance + d (Dest::F1_RES), 0.0f, 1.0f);
    filter1Settings.drive = std::clamp (shared.filter1.drive + d (Dest::F1_DRIVE), 0.0f, 1.0f);

    filter2Settings = shared.filter2;
    filter2Settings.cutoff = shared.filter2.cutoff * std::exp2 (5.0f * d (Dest::F2_CUTOFF));
    filter2Settings.resonance = std::clamp (shared.filter2.resonance + d (Dest::F2_RES), 0.0f, 1.0f);
    filter2Settings.drive = std::clamp (shared.filter2.drive + d (Dest::F2_DRIVE), 0.0f, 1.0f);

    oscALevel.setTargetValue (modulatedLevel (shared.oscA.level, d (Dest::OSCA_LEVEL)));
    oscBLevel.setTargetValue (modulatedLevel (shared.oscB.level, d (Dest::OSCB_LEVEL)));
    oscCLevel.setTargetValue (modulatedLevel (shared.oscC.level, d (Dest::OSCC_LEVEL)));
    subLevel.setTargetValue (modulatedLevel (shared.subLevel, d (Dest::SUB_LEVEL)));
    noiseLevel.setTargetValue (modulatedLevel (shared.noiseLevel, d (Dest::NOISE_LEVEL)));
    captureLevel.setTargetValue (shared.captureEnabled ? shared.captureLevel : 0.0f);

    positionOffsetA = d (Dest::OSCA_WTPOS);
    positionOffsetB = d (Dest::OSCB_WTPOS);
    positionOffsetC = d (Dest::OSCC_WTPOS);
}

void SynthVoice::applyWavetablePositions() noexcept
{
    if (oscA.isTableMode())
        oscA.setPosition (shared.oscA.wavetablePosition + positionOffsetA);
    if (oscB.isTableMode())
        oscB.setPosition (shared.oscB.wavetablePosition + positionOffsetB);
    if (oscC.isTableMode())
        oscC.setPosition (shared.oscC.wavetablePosition + positionOffsetC);
}

void SynthVoice::updateFilters() noexcept
{
    // Key tracking follows the played key and the bend, not the glide.
    keyFrequency = FilterSection::keyFrequency (playedNote, bendSemitones);
    filters.update (filter1Settings, filter2Settings, shared.filterRouting, keyFrequency);
}

//==============================================================================
void SynthVoice::renderSamples (juce::AudioBuffer<float>& outputBuffer, int startSample, int numSamples) noexcept
{
    const int numChannels = outputBuffer.getNumChannels();
    float* left = numChannels > 0 ? outputBuffer.getWritePointer (0) : nullptr;
    float* right = numChannels > 1 ? outputBuffer.getWritePointer (1) : nullptr;
    const bool granular = shared.captureGranular;
    const float fmDepth = 2.0f * shared.oscAFmAmount;

    for (int i = 0; i < numSamples; ++i)
    {
        const auto b = oscB.processSample (0.0f);
        // B phase-modulates A with its mono output, before B's own level.
        const auto a = oscA.processSample ((b.left + b.right) * 0.5f * fmDepth);
        const auto c = oscC.processSample (0.0f);
        const float subSample = sub.next();
        const float noiseSample = 2.0f * noise.nextFloat() - 1.0f;
        const float captureSample = granular ? capture.nextGrainSample() : capture.nextCycleSample();

        const float levelOfA = oscALevel.getNextValue();
        const float levelOfB = oscBLevel.getNextValue();
        const float levelOfC = oscCLevel.getNextValue();
        const float levelOfCapture = captureLevel.getNextValue();
        const float mono = noiseSample * noiseLevel.getNextValue() + subSample * subLevel.getNextValue()
                         + captureSample * levelOfCapture;
        captureAmplitude.follow (std::abs (captureSample * levelOfCapture));
        const float mixLeft = mono + a.left * levelOfA + b.left * levelOfB + c.left * levelOfC;
        const float mixRight = mono + a.right * levelOfA + b.right * levelOfB + c.right * levelOfC;

        // Only the mid is filtered, so the unison's stereo spread survives any filter setting.
        const float mid = (mixLeft + mixRight) * 0.5f;
        const float side = (mixLeft - mixRight) * 0.5f;
        const float y = filters.processSample (mid);

        const float gain = ampEnvelope.step() * velocityGain;
        if (left != nullptr)
            left[startSample + i] += gain * (y + side);
        if (right != nullptr)
            right[startSample + i] += gain * (y - side);

        if (ampEnvelope.isIdle())
        {
            clearCurrentNote();
            return;
        }
    }
}

} // namespace halvo
