#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

namespace halvo
{

/** Normalised tanh saturation with a dry/wet mix, on every channel of the buffer:
    x -> x + (tanh(drive * x) / tanh(drive) - x) * mix. Dividing by tanh(drive) keeps a full
    scale sample at full scale whatever the drive. The rack's saturation slot and the fixed
    drive in front of the rack are both this stage. */
class Saturation
{
public:
    /** Clamps the drive to 1..24 and the mix to 0..1. */
    void setParameters (float drive, float mix) noexcept;

    /** Does nothing at a mix of 1e-4 or less. */
    void process (juce::AudioBuffer<float>& buffer, int numSamples) noexcept;

    float getDrive() const noexcept { return drive; }
    float getMix() const noexcept { return mix; }

private:
    float drive = 2.0f;
    float driveNormaliser = 0.9640276f; // tanh (2)
    float mix = 0.5f;
};

} // namespace halvo
