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
    fx::shapeEverySample (buffer, numSamples, mix, [this] (float x)
    {
        return fx::blend (x, std::tanh (drive * x) / driveNormaliser, mix);
    });
}

} // namespace halvo
