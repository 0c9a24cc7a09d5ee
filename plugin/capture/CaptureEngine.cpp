#include "capture/CaptureEngine.h"

#include <algorithm>

namespace halvo
{

CaptureEngine::CaptureEngine()
{
    currentWavetable.store (&capturedWavetables[0], std::memory_order_release);
}

int CaptureEngine::getNextSlot() const noexcept
{
    // With only one sound so far the neighbour is free; otherwise the slot that is neither
    // the current nor the previous sound.
    if (currentSlot == previousSlot)
        return (currentSlot + 1) % numSlots;

    return 3 - currentSlot - previousSlot;
}

void CaptureEngine::publishAnalysis (const float* cycle, const std::vector<float>& sound, double sampleRate,
                                     float newRootFrequency, float newConfidence)
{
    const int slot = getNextSlot();

    capturedWavetables[(size_t) slot].buildFromCycle (cycle, Wavetable::cycleLength);
    auto& grains = grainSources[(size_t) slot];
    grains.samples = sound;
    grains.sampleRate = sampleRate;

    rootFrequency.store (std::clamp (newRootFrequency, 20.0f, 8000.0f), std::memory_order_release);
    confidence.store (newConfidence, std::memory_order_release);
    currentWavetable.store (&capturedWavetables[(size_t) slot], std::memory_order_release);
    currentGrainSource.store (&grains, std::memory_order_release);
    previousSlot = currentSlot;
    currentSlot = slot;
    dataPresent.store (true, std::memory_order_release);
}

void CaptureEngine::clear()
{
    dataPresent.store (false, std::memory_order_release);
    currentGrainSource.store (nullptr, std::memory_order_release);
    rootFrequency.store (defaultRootFrequency, std::memory_order_release);
    confidence.store (0.0f, std::memory_order_release);
}

} // namespace halvo
