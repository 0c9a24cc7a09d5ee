#include "fx/Reverb.h"

#include <algorithm>
#include <cmath>

namespace halvo
{

namespace
{
    // Tuned at 44.1 kHz; unequal lengths keep the combs' echoes from landing on the same samples.
    constexpr std::array<double, Reverb::numCombs> combTuning { 1116.0, 1188.0, 1277.0, 1356.0 };
    constexpr std::array<double, Reverb::numAllPasses> allPassTuning { 556.0, 441.0 };
    constexpr double rightChannelSpread = 23.0;
    constexpr int shortestLine = 8;

    int nearest (double value) noexcept
    {
        return static_cast<int> (std::round (value)); // halves away from zero
    }

    template <typename Line>
    void resetLine (Line& line, int length)
    {
        line.samples.assign ((size_t) length, 0.0f);
        line.position = 0;
    }

    template <typename Line>
    void advance (Line& line) noexcept
    {
        if (++line.position >= (int) line.samples.size())
            line.position = 0;
    }
} // namespace

std::array<int, Reverb::numCombs + Reverb::numAllPasses> Reverb::lineLengths (double sampleRate, int channel) noexcept
{
    const double h = sampleRate / 44100.0;
    const int spread = channel == 0 ? 0 : nearest (rightChannelSpread * h);

    std::array<int, numCombs + numAllPasses> lengths {};
    for (int i = 0; i < numCombs; ++i)
        lengths[(size_t) i] = std::max (shortestLine, nearest (combTuning[(size_t) i] * h) + spread);

    for (int i = 0; i < numAllPasses; ++i)
        lengths[(size_t) (numCombs + i)] = std::max (shortestLine, nearest (allPassTuning[(size_t) i] * h) + spread);

    return lengths;
}

void Reverb::prepare (double newSampleRate)
{
    sampleRate = newSampleRate;

    for (int ch = 0; ch < 2; ++ch)
    {
        const auto lengths = lineLengths (sampleRate, ch);
        auto& channel = channels[(size_t) ch];

        for (int i = 0; i < numCombs; ++i)
        {
            resetLine (channel.combs[(size_t) i], lengths[(size_t) i]);
            channel.combs[(size_t) i].store = 0.0f;
        }

        for (int i = 0; i < numAllPasses; ++i)
            resetLine (channel.allPasses[(size_t) i], lengths[(size_t) (numCombs + i)]);
    }
}

float Reverb::processChannel (int channelIndex, float input, float feedback, float damp) noexcept
{
    auto& channel = channels[channelIndex == 0 ? 0 : 1];

    float sum = 0.0f;
    for (auto& comb : channel.combs)
    {
        const float output = comb.samples[(size_t) comb.position];
        comb.store = output * (1.0f - damp) + comb.store * damp;
        comb.samples[(size_t) comb.position] = comb.store * feedback + input;
        advance (comb);
        sum += output;
    }

    float signal = sum * 0.25f;
    for (auto& allPass : channel.allPasses)
    {
        const float buffered = allPass.samples[(size_t) allPass.position];
        allPass.samples[(size_t) allPass.position] = signal + 0.5f * buffered;
        signal = buffered - signal;
        advance (allPass);
    }

    return signal;
}

int Reverb::getCombLength (int channel, int comb) const noexcept
{
    return (int) channels[channel == 0 ? 0 : 1].combs[(size_t) std::clamp (comb, 0, numCombs - 1)].samples.size();
}

int Reverb::getAllPassLength (int channel, int allPass) const noexcept
{
    return (int) channels[channel == 0 ? 0 : 1].allPasses[(size_t) std::clamp (allPass, 0, numAllPasses - 1)].samples.size();
}

} // namespace halvo
