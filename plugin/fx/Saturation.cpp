#include "fx/Saturation.h"

#include "fx/EffectMath.h"

#include <cmath>

namespace halvo
{

void Saturation::setParameters (float newDrive, float newMix) noexcept
{
    drive = fx::clampParameter (newDrive, 1.0f, 24.0f);
    driveNormaliser = std::tanh (drive);
    mix = fx::clampParameter (newMix, 0.0f, 1.0f);
}

void Saturation::process (juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    if (mix <= fx::inaudibleMix)
        return;

    const int n = std::min (numSamples, buffer.getNumSamples());

    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
    {
        auto* samples = buffer.getWritePointer (channel);

        for (int i = 0; i < n; ++i)
        {
            const float x = samples[i];
            samples[i] = fx::blend (x, std::tanh (drive * x) / driveNormaliser, mix);
        }
    }
}

} // namespace halvo
