#include "fx/StereoDelay.h"

#include "fx/EffectMath.h"

#include <cmath>
#include <limits>

namespace halvo
{

void StereoDelay::prepare (double newSampleRate, double maximumSeconds)
{
    sampleRate = newSampleRate;
    bufferLength = std::max (2, static_cast<int> (std::ceil (maximumSeconds * sampleRate)));
    leftLine.assign ((size_t) bufferLength, 0.0f);
    rightLine.assign ((size_t) bufferLength, 0.0f);
    writePosition = 0;
    updateDelaySamples();
}

void StereoDelay::setParameters (float newTimeMs, float newFeedback, float newMix) noexcept
{
    timeMs = fx::clampParameter (newTimeMs, 1.0f, std::numeric_limits<float>::max());
    feedback = fx::clampParameter (newFeedback, 0.0f, 0.95f);
    mix = fx::clampParameter (newMix, 0.0f, 1.0f);
    updateDelaySamples();
}

bool StereoDelay::isAudible() const noexcept
{
    return mix > fx::inaudibleMix;
}

void StereoDelay::updateDelaySamples() noexcept
{
    const double longest = std::max (1, bufferLength - 1);

    // Milliseconds times the rate divided by 1000 is exact for whole milliseconds, so a time
    // that lands on half a sample (5 ms at 44.1 kHz: 220.5) rounds away from zero as it should.
    const double exact = static_cast<double> (timeMs) * sampleRate / 1000.0;
    delaySamples = static_cast<int> (std::clamp (std::round (exact), 1.0, longest));
}

void StereoDelay::processBlock (juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    if (bufferLength < 2)
        return;

    const int n = std::min (numSamples, buffer.getNumSamples());
    const int numChannels = std::min (buffer.getNumChannels(), 2);
    if (numChannels <= 0)
        return;

    auto* left = buffer.getWritePointer (0);
    auto* right = numChannels > 1 ? buffer.getWritePointer (1) : nullptr;

    for (int i = 0; i < n; ++i)
    {
        const int readPosition = (bufferLength + writePosition - delaySamples) % bufferLength;

        const float xL = fx::finiteOrZero (left[i]);
        const float yL = leftLine[(size_t) readPosition];
        leftLine[(size_t) writePosition] = feedback * yL + xL;
        left[i] = fx::blend (xL, yL, mix);

        if (right != nullptr)
        {
            const float xR = fx::finiteOrZero (right[i]);
            const float yR = rightLine[(size_t) readPosition];
            rightLine[(size_t) writePosition] = feedback * yR + xR;
            right[i] = fx::blend (xR, yR, mix);
        }
        else
        {
            rightLine[(size_t) writePosition] = leftLine[(size_t) writePosition];
        }

        if (++writePosition >= bufferLength)
            writePosition = 0;
    }
}

} // namespace halvo
