#include "fx/Distortion.h"

#include "fx/EffectMath.h"

#include <cmath>

namespace halvo
{

void Distortion::setParameters (int32_t newMode, float newDrive, float newMix) noexcept
{
    mode = static_cast<DistortionMode> (std::clamp (newMode, (int32_t) DistortionMode::SoftClip, (int32_t) DistortionMode::BitCrush));
    drive = fx::clampParameter (newDrive, 1.0f, 50.0f);
    mix = fx::clampParameter (newMix, 0.0f, 1.0f);
}

float Distortion::shape (float e) const noexcept
{
    constexpr float halfPi = juce::MathConstants<float>::halfPi;

    switch (mode)
    {
        case DistortionMode::HardClip:
            return std::clamp (e, -1.0f, 1.0f);

        case DistortionMode::Fold:
            // A triangle of the input: rises with e up to +-1, then folds back.
            return (2.0f / juce::MathConstants<float>::pi) * std::asin (std::sin (e * halfPi));

        case DistortionMode::BitCrush:
        {
            const float levels = static_cast<float> ((1 << crushBits) - 1);
            const float v = levels * std::clamp (std::tanh (e), -1.0f, 1.0f);
            return std::round (v) / levels;
        }

        case DistortionMode::SoftClip:
        default:
            return std::tanh (e);
    }
}

void Distortion::process (juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    fx::shapeEverySample (buffer, numSamples, mix, [this] (float sample)
    {
        const float x = fx::finiteOrZero (sample);
        return fx::blend (x, shape (drive * x), mix);
    });
}

} // namespace halvo
