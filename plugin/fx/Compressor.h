#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

namespace halvo
{

/** Hard-knee, stereo-linked compressor with its level detector in the decibel domain, run
    on channels 0 and 1 (only those present). It has no dry/wet mix: the compressed signal
    replaces the input. */
class Compressor
{
public:
    /** Stores the rate, resets the detector to -100 dB and recomputes the time coefficients. */
    void prepare (double newSampleRate) noexcept;

    /** Clamps threshold to -60..0 dB, ratio to 1..20, attack to 0.1..200 ms, release to
        5..1000 ms and makeup to -12..24 dB, then recomputes the coefficients. */
    void setParameters (float thresholdDb, float ratio, float attackMs, float releaseMs, float makeupDb) noexcept;

    void process (juce::AudioBuffer<float>& buffer, int numSamples) noexcept;

    float getDetectorLevelDb() const noexcept { return detectorDb; }
    float getAttackCoefficient() const noexcept { return attackCoefficient; }
    float getReleaseCoefficient() const noexcept { return releaseCoefficient; }

    static constexpr float floorDb = -100.0f;

private:
    /** One detector step for the linked peak p; returns the gain both channels receive. */
    float gainForPeak (float peak) noexcept;

    void updateCoefficients() noexcept;
    float timeCoefficient (float milliseconds) const noexcept;

    double sampleRate = 44100.0;
    float thresholdDb = -18.0f;
    float ratio = 4.0f;
    float attackMs = 10.0f;
    float releaseMs = 120.0f;
    float makeupDb = 0.0f;
    float detectorDb = floorDb;
    float attackCoefficient = 0.0f;
    float releaseCoefficient = 0.0f;
    float makeupGain = 1.0f;
};

} // namespace halvo
