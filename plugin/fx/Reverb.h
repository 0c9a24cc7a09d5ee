#pragma once

#include <array>
#include <vector>

namespace halvo
{

/** A comb-and-all-pass reverb: per channel four damped feedback combs in parallel, then two
    all-passes in series. The right channel's lines are a little longer than the left's, so
    the two tails decorrelate. Line lengths follow the sample rate from their 44.1 kHz tuning. */
class Reverb
{
public:
    static constexpr int numCombs = 4;
    static constexpr int numAllPasses = 2;

    /** Sizes and clears every line. Allocates: message thread only. */
    void prepare (double newSampleRate);

    bool hasBuffers() const noexcept { return ! channels[0].combs[0].samples.empty(); }

    /** Runs one input sample through channel 0 or 1 and returns the wet sample. The caller
        passes a finite input; feedback and damp are the per-block values (0.7..0.98 and
        0.2..0.8 in the rack). Must not be called before prepare. */
    float processChannel (int channel, float input, float feedback, float damp) noexcept;

    /** The line lengths prepare gives at this rate: combs first, then the all-passes. */
    static std::array<int, numCombs + numAllPasses> lineLengths (double sampleRate, int channel) noexcept;

    int getCombLength (int channel, int comb) const noexcept;
    int getAllPassLength (int channel, int allPass) const noexcept;
    double getSampleRate() const noexcept { return sampleRate; }

private:
    struct Comb
    {
        std::vector<float> samples;
        int position = 0;
        float store = 0.0f;
    };

    struct AllPass
    {
        std::vector<float> samples;
        int position = 0;
    };

    struct Channel
    {
        std::array<Comb, numCombs> combs;
        std::array<AllPass, numAllPasses> allPasses;
    };

    std::array<Channel, 2> channels;
    double sampleRate = 44100.0;
};

} // namespace halvo
