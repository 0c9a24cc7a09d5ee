#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

namespace halvo
{

/** The last stages of the audio block: master gain, the output safety clip and the peak
    meter. Each works on the first numSamples samples of every channel. */
namespace output
{
    /** Above this magnitude samples are bent smoothly towards 1; below they pass untouched. */
    inline constexpr float softClipThreshold = 0.98f;

    /** Linear gain of the master gain parameter: 0 at -60 dB and below. */
    float masterGainFactor (float gainDb) noexcept;

    /** Multiplies every channel by the master gain; a gain of exactly 0 clears the samples. */
    void applyMasterGain (juce::AudioBuffer<float>& buffer, int numSamples, float gainDb) noexcept;

    /** One sample through the output safety curve: |x| <= 0.98 passes, above it the sample
        becomes sign(x) * (0.98 + 0.02 * tanh(|x| - 0.98)), so the output never reaches beyond
        +-1. A non-finite sample becomes 0 rather than reaching the audio device. */
    float softClipSample (float x) noexcept;

    void applySoftClip (juce::AudioBuffer<float>& buffer, int numSamples) noexcept;

    /** Largest magnitude over all channels; 0 with no channels or no samples. */
    float peakOf (const juce::AudioBuffer<float>& buffer, int numSamples) noexcept;
} // namespace output

} // namespace halvo
