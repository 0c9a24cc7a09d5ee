#include "voice/SynthVoice.h"

#include "voice/SynthSound.h"

namespace halvo
{

SynthVoice::SynthVoice (const VoiceSharedState& sharedState) : shared (sharedState) {}

bool SynthVoice::canPlaySound (juce::SynthesiserSound* sound)
{
    return dynamic_cast<SynthSound*> (sound) != nullptr;
}

void SynthVoice::startNote (int, float, juce::SynthesiserSound*, int) {}

void SynthVoice::stopNote (float, bool)
{
    clearCurrentNote();
}

void SynthVoice::pitchWheelMoved (int) {}

void SynthVoice::controllerMoved (int, int) {}

void SynthVoice::renderNextBlock (juce::AudioBuffer<float>&, int, int) {}

} // namespace halvo
