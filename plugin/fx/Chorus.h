#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

namespace halvo
{

/** Modulated-delay chorus on channels 0 and 1 (only those present). One sine LFO moves both
    delays, the right channel's a quarter cycle ahead of the left's, which widens the image. */
class Chorus
{
public:
    /** Sizes both lines for 50 ms plus interpolation room, clears them and restarts the LFO.
        Allocates: message thread only. */
    void prepare (double newSampleRate);

    /** Clamps the base delay to 0.2..30 ms, the depth to 0..15 ms, the rate to 0.01..10 Hz,
        the feedback to -0.95..0.95 and the mix to 0..1. */
    void setParameters (float baseDelayMs, float depthMs, float rateHz, float feedback, float mix) noexcept;

    /** Does nothing at a mix of 1e-4 or less, or before the lines are sized. */
    void process (juce::AudioBuffer<float>& buffer, int numSamples) noexcept;

    int getBufferLength() const noexcept { return bufferLength; }

private:
    struct Line
    {
        std::vector<float> samples;
        int writePosition = 0;
    };

    /** Reads the line delaySamples behind its write position, writes x plus the feedback and
        returns the blended output. */
    float processLine (Line& line, float x, double delaySamples) noexcept;
    double delayInSamples (double lfo) const noexcept;

    double sampleRate = 44100.0;
    int bufferLength = 0;
    Line left, right;
    double lfoPhase = 0.0;
    float baseDelayMs = 7.0f;
    float depthMs = 3.0f;
    float rateHz = 0.6f;
    float feedback = 0.2f;
    float mix = 0.5f;
};

} // namespace halvo
