#include "fx/FxRack.h"

#include "fx/EffectMath.h"

#include <cmath>

namespace halvo
{

void FxRack::prepare (double newSampleRate)
{
    sampleRate = newSampleRate;
    eq.prepare (sampleRate);
    compressor.prepare (sampleRate);
    chorus.prepare (sampleRate);
    delay.prepare (sampleRate, 2.0);
    reverb.prepare (sampleRate);
}

void FxRack::setOrder (const Order& newOrder) noexcept
{
    for (size_t k = 0; k < order.size(); ++k)
        order[k] = std::clamp (newOrder[k], 0, numFxSlots - 1);
}

void FxRack::process (juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    for (const int entry : order)
    {
        const auto slot = static_cast<FxSlot> (entry);
        const auto& params = slotParams[(size_t) entry];

        if (params.enabled)
            runSlot (slot, params, buffer, numSamples);
    }
}

void FxRack::runSlot (FxSlot slot, const FxSlotParams& params, juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    if (std::min (numSamples, buffer.getNumSamples()) <= 0 || buffer.getNumChannels() <= 0)
        return;

    switch (slot)
    {
        case FxSlot::Eq:
            runEq (params, buffer, numSamples);
            break;

        case FxSlot::Comp:
            compressor.setParameters (params.compThresholdDb, params.compRatio, params.compAttackMs,
                                      params.compReleaseMs, params.compMakeupDb);
            compressor.process (buffer, numSamples);
            break;

        case FxSlot::Dist:
            distortion.setParameters (params.distMode, params.distDrive, params.distMix);
            distortion.process (buffer, numSamples);
            break;

        case FxSlot::Sat:
            saturation.setParameters (params.satDrive, params.satMix);
            saturation.process (buffer, numSamples);
            break;

        case FxSlot::Chor:
            chorus.setParameters (params.chorusBaseDelayMs, params.chorusDepthMs, params.chorusRateHz,
                                  params.chorusFeedback, params.chorusMix);
            chorus.process (buffer, numSamples);
            break;

        case FxSlot::Delay:
            delay.setParameters (params.delayTimeMs, params.delayFeedback, params.delayMix);
            if (delay.isAudible())
                delay.processBlock (buffer, numSamples);
            break;

        case FxSlot::Rev:
            runReverb (params, buffer, numSamples);
            break;

        default:
            break;
    }
}

void FxRack::runEq (const FxSlotParams& params, juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    // No band reaches above 0.45 of the rate, where the biquads' responses bunch up.
    const float highestFrequency = static_cast<float> (0.45 * sampleRate);
    const float bellFrequency = params.eqBellFrequency < 20.0f ? 20.0f : std::min (highestFrequency, params.eqBellFrequency);

    eq.setLowShelf (std::min (120.0f, highestFrequency), params.eqLowGainDb);
    eq.setBell (bellFrequency, params.eqBellGainDb, 1.0f);
    eq.setHighShelf (std::min (8000.0f, highestFrequency), params.eqHighGainDb);

    // Flat bands leave the signal untouched, bit for bit, rather than filtering it to
    // within rounding of itself.
    constexpr float flatDb = 0.01f;
    if (std::abs (params.eqLowGainDb) <= flatDb && std::abs (params.eqBellGainDb) <= flatDb
        && std::abs (params.eqHighGainDb) <= flatDb)
        return;

    eq.updateIfNeeded();
    eq.process (buffer, numSamples);
}

void FxRack::runReverb (const FxSlotParams& params, juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    const float size = fx::clampParameter (params.reverbSize, 0.0f, 1.0f);
    const float damping = fx::clampParameter (params.reverbDamping, 0.0f, 1.0f);
    const float width = fx::clampParameter (params.reverbWidth, 0.0f, 1.0f);
    const float mix = fx::clampParameter (params.reverbMix, 0.0f, 1.0f);

    if (mix <= fx::inaudibleMix || ! reverb.hasBuffers())
        return;

    const float feedback = reverbFeedbackForSize (size);
    const float damp = reverbDampForDamping (damping);
    const int n = std::min (numSamples, buffer.getNumSamples());

    auto* left = buffer.getWritePointer (0);

    if (buffer.getNumChannels() == 1)
    {
        for (int i = 0; i < n; ++i)
        {
            const float x = fx::finiteOrZero (left[i]);
            left[i] = fx::blend (x, reverb.processChannel (0, x, feedback, damp), mix);
        }
        return;
    }

    auto* right = buffer.getWritePointer (1);

    for (int i = 0; i < n; ++i)
    {
        const float xL = fx::finiteOrZero (left[i]);
        const float xR = fx::finiteOrZero (right[i]);
        const float yL = reverb.processChannel (0, xL, feedback, damp);
        const float yR = reverb.processChannel (1, xR, feedback, damp);

        // Width scales the difference between the tails around their mean: 0 is a mono tail.
        const float mid = (yL + yR) / 2.0f;
        left[i] = fx::blend (xL, mid + width * (yL - mid), mix);
        right[i] = fx::blend (xR, mid + width * (yR - mid), mix);
    }
}

} // namespace halvo
