#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <cstdint>

namespace halvo
{

/** The "Soft Clip", "Hard Clip", "Fold" and "Bit Crush" choices of "rackDistMode". */
enum class DistortionMode : int
{
    SoftClip = 0,
    HardClip = 1,
    Fold = 2,
    BitCrush = 3
};

/** Waveshaping distortion with a dry/wet mix, on every channel of the buffer. */
class Distortion
{
public:
    /** Clamps the mode to 0..3, the drive to 1..50 and the mix to 0..1. */
    void setParameters (int32_t mode, float drive, float mix) noexcept;

    /** Does nothing at a mix of 1e-4 or less. */
    void process (juce::AudioBuffer<float>& buffer, int numSamples) noexcept;

    /** The shaped sample for e = drive * x, before the mix. */
    float shape (float e) const noexcept;

    DistortionMode getMode() const noexcept { return mode; }
    float getDrive() const noexcept { return drive; }
    float getMix() const noexcept { return mix; }

private:
    DistortionMode mode = DistortionMode::SoftClip;
    float drive = 4.0f;
    float mix = 0.5f;
    int crushBits = 8;
};

} // namespace halvo
