#pragma once

#include "modulation/ModulationSource.h"

#include <array>
#include <cstdint>

namespace halvo
{

/** One of the processor's ten low-frequency oscillators. It is evaluated once per audio block,
    at the block's end position, and holds that value for the whole block. Its phase runs on
    across notes: notes never retrigger it. */
class LFO final : public ModulationSource
{
public:
    enum Shape
    {
        sine = 0,
        triangle = 1,
        saw = 2,
        square = 3,
        rampDown = 4,
        sampleAndHold = 5
    };

    static constexpr int customTableSize = 256;
    static constexpr float minimumRate = 0.01f;
    static constexpr float maximumRate = 50.0f;

    void prepare (double newSampleRate) override;
    void reset() override;
    void processBlock (int numSamples) override;
    float getValue() const override { return value * amount; }
    bool isBipolar() const override { return true; }

    /** Rate in Hz, clamped to 0.01..50; a rate that is not finite leaves the rate as it was. */
    void setRate (float hz) noexcept;
    void setShape (int newShape) noexcept { shape = newShape; }
    /** Offset in cycles; anything outside [0, 1) counts as 0. */
    void setPhaseOffset (float cycles) noexcept;
    /** How much of the shape reaches the routes, clamped to 0..1. */
    void setAmount (float newAmount) noexcept;

    /** Takes a drawn shape (256 values, each clamped to -1..1) and whether to play it. */
    void setCustomTable (const float* values, bool active) noexcept;

    /** The value of a drawn table at a cycle position in [0, 1), interpolating towards entry 0
        after the last entry. */
    static float readCustomTable (const std::array<float, customTableSize>& table, double position) noexcept;

    /** The value of a built-in shape at a cycle position in [0, 1) (sample-and-hold aside). */
    static float shapeValue (int shape, double position) noexcept;

    double getPhase() const noexcept { return phase; }
    float getRate() const noexcept { return rate; }
    float getAmount() const noexcept { return amount; }
    float getPhaseOffset() const noexcept { return phaseOffset; }
    int getShape() const noexcept { return shape; }
    bool isCustomInUse() const noexcept { return customInUse && customPresent; }
    double getSampleRate() const noexcept { return sampleRate; }

private:
    float nextHeldValue() noexcept;

    double sampleRate = 44100.0;
    double phase = 0.0;
    double increment = 1.0 / 44100.0;
    float rate = 1.0f;
    int shape = sine;
    float phaseOffset = 0.0f;
    float heldValue = 0.0f;
    int64_t heldCycle = -1;
    int64_t completedCycles = 0;  // whole cycles since the last reset
    uint32_t randomState = 2654435769u;
    float value = 0.0f;
    float amount = 1.0f;
    bool customInUse = false;
    bool customPresent = false;
    std::array<float, customTableSize> customTable {};
};

} // namespace halvo
