#pragma once

#include "fx/FxRack.h"
#include "fx/Saturation.h"
#include "fx/StereoDelay.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>
#include <atomic>
#include <cstdint>

namespace halvo
{

/** Everything the processor runs on its output after the voices: the fixed drive and fixed
    delay, then the effects rack in the user's order. Reads its parameters once per block
    through raw-value pointers bound at construction; a parameter that does not exist leaves
    its setting at the default (the fixed effects are then skipped).

    Threads: prepare, the rack order's writers and getRackOrder run on the message thread,
    the process calls on the audio thread. The order is packed into one atomic word, so the
    audio thread always sees a whole order written by one call, never a mix of two. */
class EffectsSection
{
public:
    using Order = FxRack::Order;

    explicit EffectsSection (juce::AudioProcessorValueTreeState& parameters);

    /** Sizes and clears every delay line and filter state; a rate of 0 or below (or not a
        number) is taken as 44.1 kHz. Allocates: message thread only, never while a process
        call runs. */
    void prepare (double sampleRate);

    /** The fixed drive, then the fixed delay, each only when its mix is above 1e-4. */
    void processFixedEffects (juce::AudioBuffer<float>& buffer, int numSamples) noexcept;

    /** Reads the rack parameters into the seven slot records, takes the current order and
        runs the enabled slots in it. */
    void processRack (juce::AudioBuffer<float>& buffer, int numSamples) noexcept;

    //==============================================================================
    // The rack order (message thread). Entry k is the slot at position k of the chain.

    Order getRackOrder() const noexcept;

    /** Takes the entry at position from out and reinserts it at position to, shifting the
        entries between by one place. Does nothing unless both are 0..6 and different. */
    void moveSlot (int from, int to) noexcept;

    /** Replaces the whole order; each entry is clamped to 0..6. */
    void setRackOrder (const Order& newOrder) noexcept;

    const FxRack& getRack() const noexcept { return rack; }
    const StereoDelay& getFixedDelay() const noexcept { return fixedDelay; }
    double getSampleRate() const noexcept { return sampleRate; }

private:
    using Raw = const std::atomic<float>*;

    struct FixedParameters
    {
        Raw driveAmount, driveMix, delayTime, delayFeedback, delayMix;
    };

    struct RackParameters
    {
        std::array<Raw, numFxSlots> switches;
        Raw eqLow, eqBellFreq, eqBell, eqHigh;
        Raw compThresh, compRatio, compAttack, compRelease, compMakeup;
        Raw distMode, distDrive, distMix;
        Raw satDrive, satMix;
        Raw chorDepth, chorRate, chorFb, chorMix;
        Raw delayTime, delayFb, delayMix;
        Raw revSize, revDamp, revWidth, revMix;
    };

    static FixedParameters bindFixed (juce::AudioProcessorValueTreeState&);
    static RackParameters bindRack (juce::AudioProcessorValueTreeState&);

    /** Fills the rack's seven records from the parameters. */
    void readSlotParams() noexcept;

    static uint32_t pack (const Order& order) noexcept;
    static Order unpack (uint32_t packed) noexcept;

    const FixedParameters fixedParameters;
    const RackParameters rackParameters;

    double sampleRate = 44100.0;
    Saturation fixedDrive;
    StereoDelay fixedDelay;
    FxRack rack;
    FxSlotParams latestSettings;
    std::atomic<uint32_t> packedOrder;
};

} // namespace halvo
