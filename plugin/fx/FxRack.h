#pragma once

#include "fx/Chorus.h"
#include "fx/Compressor.h"
#include "fx/Distortion.h"
#include "fx/FxSlot.h"
#include "fx/FxSlotParams.h"
#include "fx/ParaEq.h"
#include "fx/Reverb.h"
#include "fx/Saturation.h"
#include "fx/StereoDelay.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>

namespace halvo
{

/** The rack of seven effect slots, run in place on the output buffer in a user-chosen order.
    Every slot keeps its state across blocks; only prepare clears it. A disabled slot is not
    run at all, so its tail freezes and resumes when it is switched on again. */
class FxRack
{
public:
    using Order = std::array<int, numFxSlots>;

    static constexpr Order defaultOrder { 0, 1, 2, 3, 4, 5, 6 };

    /** Sizes and clears every effect's state. Allocates: message thread only. */
    void prepare (double newSampleRate);

    /** The record a slot reads; the owner fills all seven before process. */
    FxSlotParams& getSlotParams (FxSlot slot) noexcept { return slotParams[(size_t) slot]; }
    const FxSlotParams& getSlotParams (FxSlot slot) const noexcept { return slotParams[(size_t) slot]; }

    /** Copies the order, each entry clamped to 0..6. */
    void setOrder (const Order& newOrder) noexcept;
    const Order& getOrder() const noexcept { return order; }

    /** Runs the slots in order, each only when its record is enabled. A slot that appears more
        than once runs once per appearance. */
    void process (juce::AudioBuffer<float>& buffer, int numSamples) noexcept;

    /** Runs one slot in place on the first numSamples samples, taking its settings from params
        (clamped to their ranges) first. */
    void runSlot (FxSlot slot, const FxSlotParams& params, juce::AudioBuffer<float>& buffer, int numSamples) noexcept;

    double getSampleRate() const noexcept { return sampleRate; }
    const ParaEq& getEq() const noexcept { return eq; }
    const Compressor& getCompressor() const noexcept { return compressor; }
    const Chorus& getChorus() const noexcept { return chorus; }
    const StereoDelay& getDelay() const noexcept { return delay; }
    const Reverb& getReverb() const noexcept { return reverb; }

    /** The reverb's comb feedback for a size of 0..1: 0.7 .. 0.98. */
    static float reverbFeedbackForSize (float size) noexcept { return 0.7f + 0.28f * size; }

    /** The reverb's comb damping for a damping of 0..1: 0.2 .. 0.8. */
    static float reverbDampForDamping (float damping) noexcept { return 0.2f + 0.6f * damping; }

private:
    void runEq (const FxSlotParams& params, juce::AudioBuffer<float>& buffer, int numSamples) noexcept;
    void runReverb (const FxSlotParams& params, juce::AudioBuffer<float>& buffer, int numSamples) noexcept;

    std::array<FxSlotParams, numFxSlots> slotParams {};
    Order order = defaultOrder;
    double sampleRate = 44100.0;

    ParaEq eq;
    Compressor compressor;
    Distortion distortion;
    Saturation saturation;
    Chorus chorus;
    StereoDelay delay;
    Reverb reverb;
};

} // namespace halvo
