#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>

namespace halvo
{

/** Three-band equaliser: low shelf, bell and high shelf, each a direct-form-I biquad, run on
    channels 0 and 1 (only those present). */
class ParaEq
{
public:
    enum Band : int
    {
        lowShelf = 0,
        bell = 1,
        highShelf = 2
    };

    static constexpr int numBands = 3;

    /** Coefficients normalised by a0. */
    struct Coefficients
    {
        float b0 = 1.0f, b1 = 0.0f, b2 = 0.0f, a1 = 0.0f, a2 = 0.0f;
    };

    /** Stores the rate, clears every filter state and recomputes the coefficients. */
    void prepare (double newSampleRate) noexcept;

    /** Each setter flags the coefficients for recomputation only when a value changed. */
    void setLowShelf (float frequencyHz, float gainDb) noexcept;
    void setBell (float frequencyHz, float gainDb, float q) noexcept;
    void setHighShelf (float frequencyHz, float gainDb) noexcept;

    /** Recomputes the three biquads from the stored frequencies and gains. */
    void updateAll() noexcept;

    /** Recomputes only when a setter changed something since the last update. */
    void updateIfNeeded() noexcept;

    /** Channels 0 and 1 each pass low shelf -> bell -> high shelf. A non-finite input,
        intermediate or output sample becomes 0, so the filter states stay finite. */
    void process (juce::AudioBuffer<float>& buffer, int numSamples) noexcept;

    double getSampleRate() const noexcept { return sampleRate; }
    const Coefficients& getCoefficients (Band band) const noexcept { return coefficients[(size_t) band]; }

private:
    struct BiquadState
    {
        float x1 = 0.0f, x2 = 0.0f, y1 = 0.0f, y2 = 0.0f;
    };

    using ChannelState = std::array<BiquadState, numBands>;

    static float runBiquad (const Coefficients& c, BiquadState& state, float x) noexcept;
    float processSample (ChannelState& channel, float x) const noexcept;

    void clearStates() noexcept;

    double sampleRate = 44100.0;
    float lowShelfFrequency = 120.0f, lowShelfGainDb = 0.0f;
    float bellFrequency = 1000.0f, bellGainDb = 0.0f, bellQ = 1.0f;
    float highShelfFrequency = 8000.0f, highShelfGainDb = 0.0f;
    bool coefficientsNeedUpdate = true;
    std::array<Coefficients, numBands> coefficients {};
    std::array<ChannelState, 2> channelStates {};
};

} // namespace halvo
