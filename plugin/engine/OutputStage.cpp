#include "engine/OutputStage.h"

#include <cmath>

namespace halvo::output
{

float masterGainFactor (float gainDb) noexcept
{
    return gainDb > -60.0f ? std::pow (10.0f, gainDb / 20.0f) : 0.0f;
}

void applyMasterGain (juce::AudioBuffer<float>& buffer, int numSamples, float gainDb) noexcept
{
    const int n = std::min (numSamples, buffer.getNumSamples());
    if (n <= 0)
        return;

    const float gain = masterGainFactor (gainDb);

    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
    {
        if (gain == 0.0f)
            juce::FloatVectorOperations::clear (buffer.getWritePointer (channel), n);
        else if (gain != 1.0f)
            juce::FloatVectorOperations::multiply (buffer.getWritePointer (channel), gain, n);
    }
}

float softClipSample (float x) noexcept
{
    if (! std::isfinite (x))
        return 0.0f;

    const float magnitude = std::abs (x);
    if (magnitude <= softClipThreshold)
        return x;

    constexpr float headroom = 1.0f - softClipThreshold; // 0.0199999809 in single precision
    const float bent = softClipThreshold + headroom * std::tanh (magnitude - softClipThreshold);
    return x < 0.0f ? -bent : bent;
}

void applySoftClip (juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    const int n = std::min (numSamples, buffer.getNumSamples());

    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
    {
        auto* samples = buffer.getWritePointer (channel);
        for (int i = 0; i < n; ++i)
            samples[i] = softClipSample (samples[i]);
    }
}

float peakOf (const juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    const int n = std::min (numSamples, buffer.getNumSamples());
    if (n <= 0)
        return 0.0f;

    float peak = 0.0f;
    for (int channel = 0; channel < buffer.getNumChannels(); ++channel)
        peak = std::max (peak, buffer.getMagnitude (channel, 0, n));

    return peak;
}

} // namespace halvo::output
