#include "fx/Chorus.h"

#include "fx/EffectMath.h"

#include <cmath>

namespace halvo
{

void Chorus::prepare (double newSampleRate)
{
    sampleRate = newSampleRate;
    bufferLength = static_cast<int> (std::ceil (0.05 * sampleRate)) + 4;

    for (auto* line : { &left, &right })
    {
        line->samples.assign ((size_t) bufferLength, 0.0f);
        line->writePosition = 0;
    }

    lfoPhase = 0.0;
}

void Chorus::setParameters (float newBaseDelayMs, float newDepthMs, float newRateHz, float newFeedback, float newMix) noexcept
{
    baseDelayMs = fx::clampParameter (newBaseDelayMs, 0.2f, 30.0f);
    depthMs = fx::clampParameter (newDepthMs, 0.0f, 15.0f);
    rateHz = fx::clampParameter (newRateHz, 0.01f, 10.0f);
    feedback = fx::clampParameter (newFeedback, -0.95f, 0.95f);
    mix = fx::clampParameter (newMix, 0.0f, 1.0f);
}

double Chorus::delayInSamples (double lfo) const noexcept
{
    // Milliseconds times the rate divided by 1000 (not times 0.001) keeps whole-sample delays
    // exact, e.g. 7 ms at 48 kHz is exactly 336 samples.
    const double milliseconds = baseDelayMs + depthMs * 0.5 * (lfo + 1.0);
    return std::clamp (sampleRate * milliseconds / 1000.0, 1.0, static_cast<double> (bufferLength - 2));
}

float Chorus::processLine (Line& line, float x, double delaySamples) noexcept
{
    double readPosition = line.writePosition - delaySamples;
    if (readPosition < 0.0)
        readPosition += bufferLength; // the delay never exceeds the length, so once is enough

    int index = static_cast<int> (readPosition);
    if (index >= bufferLength)
        index -= bufferLength;

    const int next = index + 1 < bufferLength ? index + 1 : 0;
    const float fraction = static_cast<float> (readPosition - std::floor (readPosition));
    const float y = fraction * line.samples[(size_t) next] + (1.0f - fraction) * line.samples[(size_t) index];

    line.samples[(size_t) line.writePosition] = x + y * feedback;
    if (++line.writePosition >= bufferLength)
        line.writePosition = 0;

    return fx::blend (x, y, mix);
}

void Chorus::process (juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    if (mix <= fx::inaudibleMix || bufferLength < 4)
        return;

    const int n = std::min (numSamples, buffer.getNumSamples());
    const int numChannels = std::min (buffer.getNumChannels(), 2);
    if (numChannels <= 0)
        return;

    constexpr double twoPi = juce::MathConstants<double>::twoPi;
    constexpr double quarterCycle = juce::MathConstants<double>::halfPi;
    const double phaseIncrement = twoPi * rateHz / sampleRate;

    auto* leftSamples = buffer.getWritePointer (0);
    auto* rightSamples = numChannels > 1 ? buffer.getWritePointer (1) : nullptr;

    for (int i = 0; i < n; ++i)
    {
        const double phase = lfoPhase;
        lfoPhase += phaseIncrement;
        if (lfoPhase > twoPi)
            lfoPhase -= twoPi;

        leftSamples[i] = processLine (left, fx::finiteOrZero (leftSamples[i]), delayInSamples (std::sin (phase)));

        if (rightSamples != nullptr)
            rightSamples[i] = processLine (right, fx::finiteOrZero (rightSamples[i]), delayInSamples (std::sin (phase + quarterCycle)));
    }
}

} // namespace halvo
