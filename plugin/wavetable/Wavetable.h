#pragma once

#include <array>
#include <vector>

namespace halvo
{

class BandLimiter;

/** The three basic shapes of the bank, in the order of the oscillator shape choices. The sub
    oscillator's "Sine"/"Square" choice is stored as 0 or 2. */
enum class WaveShape
{
    Sine = 0,
    Saw = 1,
    Square = 2
};

/** One single cycle of 2048 samples kept at eleven band-limited levels.

    Level L holds harmonics 1..max(1, 1024 >> L) of the cycle, normalised on its own to a peak
    of 1 and free of DC. Every level stores 2049 floats: the cycle plus a guard sample equal to
    sample 0, so that interpolating at index 2047 needs no wrap. */
class Wavetable
{
public:
    static constexpr int cycleLength = 2048;
    static constexpr int storedLength = cycleLength + 1;
    static constexpr int numLevels = 11;
    static constexpr int maxHarmonic = cycleLength / 2;

    Wavetable();

    /** The highest harmonic kept at a level. */
    static constexpr int highestHarmonic (int level) noexcept
    {
        const int h = maxHarmonic >> level;
        return h < 1 ? 1 : h;
    }

    /** The richest level whose highest harmonic still lies below Nyquist for a played
        frequency: the smallest L for which sampleRate / 2 > (1024 >> L) * frequency. Gives 10
        when no level qualifies and 0 for a frequency of 0 or below. */
    static int levelForFrequency (double frequencyHz, double sampleRate) noexcept;

    /** Fills every level with the ideal band-limited basic shape. */
    void buildFromShape (WaveShape shape);

    /** Band-limits one drawn or captured cycle into the eleven levels. Only the first 2048
        samples are read; a null pointer or fewer than 2048 samples leaves every level silent. */
    void buildFromCycle (const float* cycle, int numSamples);

    /** The same with a caller-owned band-limiter, so that a run of cycles shares its working
        buffers (and can choose the transform method). */
    void buildFromCycle (const float* cycle, int numSamples, BandLimiter& bandLimiter);

    /** The 2049 samples of a level (clamped to 0..10). */
    const float* getLevel (int level) const noexcept;

    /** Linear interpolation inside a level at a sample position in [0, 2048). A negative,
        infinite or NaN position reads from index 0, positions past 2047 from index 2047; the
        fraction is the distance from that index and is not clamped. */
    float read (int level, float samplePosition) const noexcept;

private:
    void silence() noexcept;

    std::array<std::vector<float>, numLevels> levels;
};

} // namespace halvo
