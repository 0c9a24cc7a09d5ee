#include "modulation/LFO.h"

#include <algorithm>
#include <cmath>

namespace halvo
{

namespace
{
    constexpr double twoPi = 6.283185307179586476925286766559;
} // namespace

void LFO::prepare (double newSampleRate)
{
    sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;
    rate = std::clamp (rate, minimumRate, maximumRate);
    increment = (double) rate / sampleRate;
}

void LFO::reset()
{
    phase = 0.0;
    value = 0.0f;
    completedCycles = 0;
}

void LFO::setRate (float hz) noexcept
{
    if (! std::isfinite (hz))
        return;

    rate = std::clamp (hz, minimumRate, maximumRate);
    increment = (double) rate / sampleRate;
}

void LFO::setPhaseOffset (float cycles) noexcept
{
    phaseOffset = (cycles >= 0.0f && cycles < 1.0f) ? cycles : 0.0f;
}

void LFO::setAmount (float newAmount) noexcept
{
    amount = std::clamp (newAmount, 0.0f, 1.0f);
}

void LFO::setCustomTable (const float* values, bool active) noexcept
{
    for (size_t i = 0; i < customTable.size(); ++i)
        customTable[i] = std::clamp (values[i], -1.0f, 1.0f);

    customPresent = true;
    customInUse = active;
}

float LFO::readCustomTable (const std::array<float, customTableSize>& table, double position) noexcept
{
    const double p = (double) customTableSize * position;
    const double whole = std::floor (p);
    const int i0 = ((int) whole % customTableSize + customTableSize) % customTableSize;
    const int i1 = (i0 + 1) % customTableSize;
    return table[(size_t) i0] + (table[(size_t) i1] - table[(size_t) i0]) * (float) (p - whole);
}

float LFO::shapeValue (int shapeIndex, double d) noexcept
{
    switch (shapeIndex)
    {
        case sine:      return (float) std::sin (twoPi * d);
        case triangle:  return (float) (1.0 - 4.0 * std::abs (d - 0.5));
        case saw:       return (float) (2.0 * d - 1.0);
        case square:    return d < 0.5 ? 1.0f : -1.0f;
        case rampDown:  return (float) (1.0 - 2.0 * d);
        default:        return 0.0f;
    }
}

float LFO::nextHeldValue() noexcept
{
    // 32-bit xorshift: cheap, allocation-free and the same sequence on every run.
    uint32_t x = randomState;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    randomState = x;
    return (float) ((double) x * (1.0 / 2147483648.0) - 1.0);
}

void LFO::processBlock (int numSamples)
{
    if (numSamples < 1)
        return;

    phase += (double) numSamples * increment;
    if (phase >= 1.0)
    {
        const double wholeCycles = std::floor (phase);
        completedCycles += (int64_t) wholeCycles;
        phase -= wholeCycles;
    }

    const double c = (double) phaseOffset + phase;
    const double d = c - std::floor (c);

    if (customInUse && customPresent)
    {
        value = readCustomTable (customTable, d);
        return;
    }

    if (shape == sampleAndHold)
    {
        // One new value per cycle, drawn in the first block that crosses the cycle boundary.
        const int64_t cycle = completedCycles + (int64_t) std::floor (c);
        if (cycle != heldCycle)
        {
            heldCycle = cycle;
            heldValue = nextHeldValue();
        }
        value = heldValue;
        return;
    }

    value = shapeValue (shape, d);
}

} // namespace halvo
