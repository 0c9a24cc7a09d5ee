#pragma once

#include <array>
#include <atomic>
#include <cstdint>

namespace halvo
{

/** Rate, shape and phase offset one LFO runs with during the current block. */
struct LfoBlockSettings
{
    float rate = 1.0f;         // Hz, clamped to [0.01, 50]
    int32_t shape = 0;         // 0..5
    float phaseOffset = 0.0f;  // cycles, in [0, 1)
};

/** The per-block settings of the processor's global modulation sources: the tempo the synced
    LFOs follow, every LFO's settings and the macro values. */
struct ModulationBlockSettings
{
    static constexpr int numLfos = 10;
    static constexpr int numMacros = 8;

    double tempoBpm = 120.0;
    std::array<LfoBlockSettings, numLfos> lfos {};
    std::array<float, numMacros> macros {};
};

/** The capture input's gain and noise gate. Written by the audio block's refresh and read by
    the capture device's own callback thread, hence atomics. */
struct CaptureInputSettings
{
    std::atomic<float> inputGain { 1.0f };    // 0..2
    std::atomic<float> gateDb { -60.0f };     // -80..-20 dB
    std::atomic<float> gateFactor { 0.001f }; // linear factor of gateDb
};

} // namespace halvo
