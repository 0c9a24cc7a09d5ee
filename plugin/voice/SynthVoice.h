#pragma once

#include "engine/VoiceSharedState.h"

#include <juce_audio_basics/juce_audio_basics.h>

namespace halvo
{

/** One voice of the polyphonic engine. It reads everything global from the shared state the
    processor refreshes before every block.

    This voice takes and releases notes as the synthesiser asks, so voice allocation, stealing
    and the voice-count changes of mono mode already work on it; it adds no sound yet. */
class SynthVoice final : public juce::SynthesiserVoice
{
public:
    explicit SynthVoice (const VoiceSharedState& sharedState);

    bool canPlaySound (juce::SynthesiserSound* sound) override;
    void startNote (int midiNoteNumber, float velocity, juce::SynthesiserSound* sound, int currentPitchWheelPosition) override;
    void stopNote (float velocity, bool allowTailOff) override;
    void pitchWheelMoved (int newPitchWheelValue) override;
    void controllerMoved (int controllerNumber, int newControllerValue) override;
    void renderNextBlock (juce::AudioBuffer<float>& outputBuffer, int startSample, int numSamples) override;
    using juce::SynthesiserVoice::renderNextBlock;

    const VoiceSharedState& getSharedState() const noexcept { return shared; }

private:
    const VoiceSharedState& shared;
};

} // namespace halvo
