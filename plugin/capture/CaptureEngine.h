#pragma once

#include "wavetable/Wavetable.h"

#include <array>
#include <atomic>
#include <vector>

namespace halvo
{

/** Holds the sound captured from an input or a dropped file as the two sources the voices
    play: a band-limited single cycle ("Cycle" mode) and the whole normalised sound as a grain
    buffer ("Granular" mode), with its root frequency and a confidence.

    New sounds are published on the message thread into one of three slots, always one that is
    neither the current nor the previous sound, so a slot a voice may still be reading during
    the current audio block is never overwritten. The audio thread reads the has-data flag and
    the current pointers without locking; a publication writes the free slot first and switches
    the pointers and the flag last. */
class CaptureEngine
{
public:
    /** The mono sound a grain player reads, with its sample rate. */
    struct GrainSource
    {
        std::vector<float> samples;
        double sampleRate = 44100.0;
    };

    /** The root frequency reported while no sound is held: middle C. */
    static constexpr float defaultRootFrequency = 261.62576f;
    static constexpr int numSlots = 3;

    CaptureEngine();

    //==============================================================================
    // Message thread.

    /** Makes a new sound current: band-limits its 2048-sample cycle into a free slot's
        wavetable, copies the whole sound into that slot's grain source and switches the
        voices over to it. The root frequency is clamped to 20..8000 Hz. */
    void publishAnalysis (const float* cycle, const std::vector<float>& sound, double sampleRate,
                          float rootFrequency, float confidence);

    /** Forgets the sound: voices stop playing it at their next block. The slots' wavetables
        stay in place, since a voice may still be reading one during this block. */
    void clear();

    /** The slot the next publication fills. */
    int getNextSlot() const noexcept;
    int getCurrentSlot() const noexcept { return currentSlot; }

    float getConfidence() const noexcept { return confidence.load (std::memory_order_acquire); }

    //==============================================================================
    // Any thread, lock-free (the audio thread reads these at the start of each block).

    bool hasData() const noexcept { return dataPresent.load (std::memory_order_acquire); }
    const Wavetable* getCurrentWavetable() const noexcept { return currentWavetable.load (std::memory_order_acquire); }
    const GrainSource* getCurrentGrainSource() const noexcept { return currentGrainSource.load (std::memory_order_acquire); }
    float getRootFrequency() const noexcept { return rootFrequency.load (std::memory_order_acquire); }

private:
    std::array<Wavetable, numSlots> capturedWavetables;
    std::atomic<const Wavetable*> currentWavetable { nullptr };
    std::array<GrainSource, numSlots> grainSources;
    std::atomic<const GrainSource*> currentGrainSource { nullptr };
    int currentSlot = 0;
    int previousSlot = 0;
    std::atomic<bool> dataPresent { false };
    std::atomic<float> rootFrequency { defaultRootFrequency };
    std::atomic<float> confidence { 0.0f };
};

} // namespace halvo
