#include "fx/ParaEq.h"

#include "fx/EffectMath.h"

#include <cmath>

namespace halvo
{

namespace
{
    ParaEq::Coefficients normalised (float b0, float b1, float b2, float a0, float a1, float a2) noexcept
    {
        return { b0 / a0, b1 / a0, b2 / a0, a1 / a0, a2 / a0 };
    }

    struct Angle
    {
        float c, s;
    };

    Angle angleOf (float frequencyHz, double sampleRate) noexcept
    {
        const float omega = juce::MathConstants<float>::twoPi * frequencyHz / static_cast<float> (sampleRate);
        return { std::cos (omega), std::sin (omega) };
    }

    float amplitudeOf (float gainDb) noexcept
    {
        return std::pow (10.0f, gainDb / 40.0f);
    }

    // The shelves use beta = sin(w) * sqrt(A) / sqrt(2), a fixed shelf slope of 1.
    ParaEq::Coefficients lowShelfCoefficients (float frequencyHz, float gainDb, double sampleRate) noexcept
    {
        const float A = amplitudeOf (gainDb);
        const auto [c, s] = angleOf (frequencyHz, sampleRate);
        const float beta = s * std::sqrt (A) / std::sqrt (2.0f);

        return normalised (A * ((A + 1.0f) - (A - 1.0f) * c + beta),
                           2.0f * A * ((A - 1.0f) - (A + 1.0f) * c),
                           A * ((A + 1.0f) - (A - 1.0f) * c - beta),
                           (A + 1.0f) + (A - 1.0f) * c + beta,
                           -2.0f * ((A - 1.0f) + (A + 1.0f) * c),
                           (A + 1.0f) + (A - 1.0f) * c - beta);
    }

    ParaEq::Coefficients bellCoefficients (float frequencyHz, float gainDb, float q, double sampleRate) noexcept
    {
        const float A = amplitudeOf (gainDb);
        const auto [c, s] = angleOf (frequencyHz, sampleRate);
        const float alpha = s / (2.0f * q);

        return normalised (1.0f + alpha * A,
                           -2.0f * c,
                           1.0f - alpha * A,
                           1.0f + alpha / A,
                           -2.0f * c,
                           1.0f - alpha / A);
    }

    ParaEq::Coefficients highShelfCoefficients (float frequencyHz, float gainDb, double sampleRate) noexcept
    {
        const float A = amplitudeOf (gainDb);
        const auto [c, s] = angleOf (frequencyHz, sampleRate);
        const float beta = s * std::sqrt (A) / std::sqrt (2.0f);

        return normalised (A * ((A + 1.0f) + (A - 1.0f) * c + beta),
                           -2.0f * A * ((A - 1.0f) + (A + 1.0f) * c),
                           A * ((A + 1.0f) + (A - 1.0f) * c - beta),
                           (A + 1.0f) - (A - 1.0f) * c + beta,
                           2.0f * ((A - 1.0f) - (A + 1.0f) * c),
                           (A + 1.0f) - (A - 1.0f) * c - beta);
    }

    template <typename T>
    void assignFlaggingChange (T& field, T value, bool& changed) noexcept
    {
        // Written as a negated equality so that a NaN, which equals nothing, also counts as a change.
        if (! (field == value))
        {
            field = value;
            changed = true;
        }
    }
} // namespace

void ParaEq::prepare (double newSampleRate) noexcept
{
    sampleRate = newSampleRate;
    clearStates();
    updateAll();
}

void ParaEq::setLowShelf (float frequencyHz, float gainDb) noexcept
{
    assignFlaggingChange (lowShelfFrequency, frequencyHz, coefficientsNeedUpdate);
    assignFlaggingChange (lowShelfGainDb, gainDb, coefficientsNeedUpdate);
}

void ParaEq::setBell (float frequencyHz, float gainDb, float q) noexcept
{
    assignFlaggingChange (bellFrequency, frequencyHz, coefficientsNeedUpdate);
    assignFlaggingChange (bellGainDb, gainDb, coefficientsNeedUpdate);
    assignFlaggingChange (bellQ, q, coefficientsNeedUpdate);
}

void ParaEq::setHighShelf (float frequencyHz, float gainDb) noexcept
{
    assignFlaggingChange (highShelfFrequency, frequencyHz, coefficientsNeedUpdate);
    assignFlaggingChange (highShelfGainDb, gainDb, coefficientsNeedUpdate);
}

void ParaEq::updateAll() noexcept
{
    coefficients[lowShelf] = lowShelfCoefficients (lowShelfFrequency, lowShelfGainDb, sampleRate);
    coefficients[bell] = bellCoefficients (bellFrequency, bellGainDb, bellQ, sampleRate);
    coefficients[highShelf] = highShelfCoefficients (highShelfFrequency, highShelfGainDb, sampleRate);
    coefficientsNeedUpdate = false;
}

void ParaEq::updateIfNeeded() noexcept
{
    if (coefficientsNeedUpdate)
        updateAll();
}

float ParaEq::runBiquad (const Coefficients& c, BiquadState& state, float x) noexcept
{
    const float y = fx::finiteOrZero (c.b0 * x + c.b1 * state.x1 + c.b2 * state.x2 - c.a1 * state.y1 - c.a2 * state.y2);

    state.x2 = state.x1;
    state.x1 = x;
    state.y2 = state.y1;
    state.y1 = y;
    return y;
}

float ParaEq::processSample (ChannelState& channel, float x) const noexcept
{
    float y = fx::finiteOrZero (x);
    for (int band = 0; band < numBands; ++band)
        y = runBiquad (coefficients[(size_t) band], channel[(size_t) band], y);

    return y;
}

void ParaEq::process (juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    const int n = std::min (numSamples, buffer.getNumSamples());
    const int numChannels = std::min (buffer.getNumChannels(), 2);

    for (int channel = 0; channel < numChannels; ++channel)
    {
        auto* samples = buffer.getWritePointer (channel);
        auto& state = channelStates[(size_t) channel];

        for (int i = 0; i < n; ++i)
            samples[i] = processSample (state, samples[i]);
    }
}

void ParaEq::clearStates() noexcept
{
    for (auto& channel : channelStates)
        channel.fill ({});
}

} // namespace halvo
