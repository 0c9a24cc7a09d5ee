#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

namespace halvo
{

/** Feedback delay with one line per channel and a shared write position, on channels 0 and 1.
    Serves as the fixed delay in front of the rack (1 s of line) and as the rack's delay slot
    (2 s of line). */
class StereoDelay
{
public:
    /** Sizes both lines to ceil(maximumSeconds * rate) samples (at least 2), clears them and
        recomputes the delay from the stored time. Allocates: message thread only. */
    void prepare (double newSampleRate, double maximumSeconds);

    /** Time at least 1 ms, rounded to whole samples (halves away from zero) and limited to
        1 .. length - 1; feedback clamped to 0..0.95, mix to 0..1. */
    void setParameters (float timeMs, float feedback, float mix) noexcept;

    /** False at a mix of 1e-4 or less: the owner then skips the delay, freezing its lines. */
    bool isAudible() const noexcept;

    /** Does nothing while the lines are shorter than 2 samples. A one-channel buffer runs
        through the left line and its writes are copied into the right line, so a later stereo
        block finds the same echoes on both sides. */
    void processBlock (juce::AudioBuffer<float>& buffer, int numSamples) noexcept;

    int getBufferLength() const noexcept { return bufferLength; }
    int getDelaySamples() const noexcept { return delaySamples; }

private:
    void updateDelaySamples() noexcept;

    double sampleRate = 44100.0;
    int bufferLength = 0;
    int writePosition = 0;
    int delaySamples = 1;
    float timeMs = 350.0f;
    float feedback = 0.35f;
    float mix = 0.0f;
    std::vector<float> leftLine, rightLine;
};

} // namespace halvo
