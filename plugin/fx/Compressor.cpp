#include "fx/Compressor.h"

#include "fx/EffectMath.h"

#include <cmath>

namespace halvo
{

void Compressor::prepare (double newSampleRate) noexcept
{
    sampleRate = newSampleRate;
    detectorDb = floorDb;
    updateCoefficients();
}

void Compressor::setParameters (float newThresholdDb, float newRatio, float newAttackMs, float newReleaseMs, float newMakeupDb) noexcept
{
    thresholdDb = fx::clampParameter (newThresholdDb, -60.0f, 0.0f);
    ratio = fx::clampParameter (newRatio, 1.0f, 20.0f);
    attackMs = fx::clampParameter (newAttackMs, 0.1f, 200.0f);
    releaseMs = fx::clampParameter (newReleaseMs, 5.0f, 1000.0f);
    makeupDb = fx::clampParameter (newMakeupDb, -12.0f, 24.0f);
    updateCoefficients();
}

float Compressor::timeCoefficient (float milliseconds) const noexcept
{
    return static_cast<float> (std::exp (-1.0 / (static_cast<double> (milliseconds) * 0.001 * sampleRate)));
}

void Compressor::updateCoefficients() noexcept
{
    attackCoefficient = timeCoefficient (attackMs);
    releaseCoefficient = timeCoefficient (releaseMs);
    makeupGain = makeupDb <= -100.0f ? 0.0f : std::pow (10.0f, makeupDb / 20.0f);
}

float Compressor::gainForPeak (float peak) noexcept
{
    const float levelDb = std::max (20.0f * std::log10 (peak), floorDb);
    const float k = levelDb > detectorDb ? attackCoefficient : releaseCoefficient;
    detectorDb = levelDb + (detectorDb - levelDb) * k;

    const float reductionDb = detectorDb > thresholdDb ? (thresholdDb - detectorDb) * (1.0f - 1.0f / ratio) : 0.0f;
    if (reductionDb < -100.0f)
        return 0.0f;

    return makeupGain * std::pow (10.0f, reductionDb / 20.0f);
}

void Compressor::process (juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    const int n = std::min (numSamples, buffer.getNumSamples());
    const int numChannels = buffer.getNumChannels();
    if (numChannels <= 0 || n <= 0)
        return;

    // The tiny offset keeps the logarithm finite in silence.
    constexpr float silenceOffset = 1.0e-9f;

    auto* left = buffer.getWritePointer (0);

    if (numChannels == 1)
    {
        for (int i = 0; i < n; ++i)
        {
            const float x = fx::finiteOrZero (left[i]);
            left[i] = x * gainForPeak (std::abs (x) + silenceOffset);
        }
        return;
    }

    auto* right = buffer.getWritePointer (1);

    for (int i = 0; i < n; ++i)
    {
        const float xL = fx::finiteOrZero (left[i]);
        const float xR = fx::finiteOrZero (right[i]);
        const float gain = gainForPeak (std::max (std::abs (xL), std::abs (xR)) + silenceOffset);
        left[i] = xL * gain;
        right[i] = xR * gain;
    }
}

} // namespace halvo
