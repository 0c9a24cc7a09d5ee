#include "fx/EffectsSection.h"

#include "engine/RawParameterReading.h"

#include <algorithm>
#include <cmath>

namespace halvo
{

namespace
{
    constexpr int bitsPerEntry = 3;
    constexpr uint32_t entryMask = (1u << bitsPerEntry) - 1u;

    int clampToSlot (int entry) noexcept
    {
        return std::clamp (entry, 0, numFxSlots - 1);
    }
} // namespace

EffectsSection::FixedParameters EffectsSection::bindFixed (juce::AudioProcessorValueTreeState& p)
{
    return { p.getRawParameterValue ("fxDriveAmt"), p.getRawParameterValue ("fxDriveMix"),
             p.getRawParameterValue ("fxDelayTime"), p.getRawParameterValue ("fxDelayFeedback"),
             p.getRawParameterValue ("fxDelayMix") };
}

EffectsSection::RackParameters EffectsSection::bindRack (juce::AudioProcessorValueTreeState& p)
{
    const auto raw = [&p] (const char* id) -> Raw { return p.getRawParameterValue (id); };

    // The switches in FxSlot order.
    return { { raw ("rackEqOn"), raw ("rackCompOn"), raw ("rackDistOn"), raw ("rackSatOn"),
               raw ("rackChorOn"), raw ("rackDelayOn"), raw ("rackRevOn") },
             raw ("rackEqLow"), raw ("rackEqBellFreq"), raw ("rackEqBell"), raw ("rackEqHigh"),
             raw ("rackCompThresh"), raw ("rackCompRatio"), raw ("rackCompAttack"), raw ("rackCompRelease"), raw ("rackCompMakeup"),
             raw ("rackDistMode"), raw ("rackDistDrive"), raw ("rackDistMix"),
             raw ("rackSatDrive"), raw ("rackSatMix"),
             raw ("rackChorDepth"), raw ("rackChorRate"), raw ("rackChorFb"), raw ("rackChorMix"),
             raw ("rackDelayTime"), raw ("rackDelayFb"), raw ("rackDelayMix"),
             raw ("rackRevSize"), raw ("rackRevDamp"), raw ("rackRevWidth"), raw ("rackRevMix") };
}

EffectsSection::EffectsSection (juce::AudioProcessorValueTreeState& parameters)
    : fixedParameters (bindFixed (parameters)),
      rackParameters (bindRack (parameters)),
      packedOrder (pack (FxRack::defaultOrder))
{
}

void EffectsSection::prepare (double newSampleRate)
{
    sampleRate = newSampleRate > 0.0 && std::isfinite (newSampleRate) ? newSampleRate : 44100.0;
    fixedDelay.prepare (sampleRate, 1.0);
    rack.prepare (sampleRate);
}

void EffectsSection::processFixedEffects (juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    const auto& p = fixedParameters;

    if (p.driveAmount != nullptr && p.driveMix != nullptr)
    {
        fixedDrive.setParameters (p.driveAmount->load (std::memory_order_relaxed), p.driveMix->load (std::memory_order_relaxed));
        fixedDrive.process (buffer, numSamples);
    }

    if (p.delayTime != nullptr && p.delayFeedback != nullptr && p.delayMix != nullptr)
    {
        fixedDelay.setParameters (p.delayTime->load (std::memory_order_relaxed),
                                  p.delayFeedback->load (std::memory_order_relaxed),
                                  p.delayMix->load (std::memory_order_relaxed));
        if (fixedDelay.isAudible())
            fixedDelay.processBlock (buffer, numSamples);
    }
}

void EffectsSection::readSlotParams() noexcept
{
    const auto& p = rackParameters;
    auto& s = latestSettings;

    raw::read (p.eqLow, s.eqLowGainDb);
    raw::read (p.eqBellFreq, s.eqBellFrequency);
    raw::read (p.eqBell, s.eqBellGainDb);
    raw::read (p.eqHigh, s.eqHighGainDb);

    raw::read (p.compThresh, s.compThresholdDb);
    raw::read (p.compRatio, s.compRatio);
    raw::read (p.compAttack, s.compAttackMs);
    raw::read (p.compRelease, s.compReleaseMs);
    raw::read (p.compMakeup, s.compMakeupDb);

    raw::readTruncated (p.distMode, s.distMode);
    raw::read (p.distDrive, s.distDrive);
    raw::read (p.distMix, s.distMix);

    raw::read (p.satDrive, s.satDrive);
    raw::read (p.satMix, s.satMix);

    raw::read (p.chorDepth, s.chorusDepthMs);
    raw::read (p.chorRate, s.chorusRateHz);
    raw::read (p.chorFb, s.chorusFeedback);
    raw::read (p.chorMix, s.chorusMix);

    raw::read (p.delayTime, s.delayTimeMs);
    raw::read (p.delayFb, s.delayFeedback);
    raw::read (p.delayMix, s.delayMix);

    raw::read (p.revSize, s.reverbSize);
    raw::read (p.revDamp, s.reverbDamping);
    raw::read (p.revWidth, s.reverbWidth);
    raw::read (p.revMix, s.reverbMix);

    for (int slot = 0; slot < numFxSlots; ++slot)
    {
        auto& record = rack.getSlotParams (static_cast<FxSlot> (slot));
        const bool wasEnabled = record.enabled;
        record = latestSettings;
        record.enabled = wasEnabled;
        raw::readSwitch (p.switches[(size_t) slot], record.enabled);
    }
}

void EffectsSection::processRack (juce::AudioBuffer<float>& buffer, int numSamples) noexcept
{
    readSlotParams();
    rack.setOrder (unpack (packedOrder.load (std::memory_order_acquire)));
    rack.process (buffer, numSamples);
}

uint32_t EffectsSection::pack (const Order& order) noexcept
{
    uint32_t packed = 0;
    for (size_t k = 0; k < order.size(); ++k)
        packed |= static_cast<uint32_t> (clampToSlot (order[k])) << (bitsPerEntry * k);

    return packed;
}

EffectsSection::Order EffectsSection::unpack (uint32_t packed) noexcept
{
    Order order {};
    for (size_t k = 0; k < order.size(); ++k)
        order[k] = clampToSlot (static_cast<int> ((packed >> (bitsPerEntry * k)) & entryMask));

    return order;
}

EffectsSection::Order EffectsSection::getRackOrder() const noexcept
{
    return unpack (packedOrder.load (std::memory_order_acquire));
}

void EffectsSection::setRackOrder (const Order& newOrder) noexcept
{
    packedOrder.store (pack (newOrder), std::memory_order_release);
}

void EffectsSection::moveSlot (int from, int to) noexcept
{
    const auto isPosition = [] (int k) { return k >= 0 && k < numFxSlots; };
    if (! isPosition (from) || ! isPosition (to) || from == to)
        return;

    auto expected = packedOrder.load (std::memory_order_acquire);

    for (;;)
    {
        auto order = unpack (expected);
        const int moved = order[(size_t) from];

        if (from < to)
            std::move (order.begin() + from + 1, order.begin() + to + 1, order.begin() + from);
        else
            std::move_backward (order.begin() + to, order.begin() + from, order.begin() + from + 1);

        order[(size_t) to] = moved;

        if (packedOrder.compare_exchange_weak (expected, pack (order), std::memory_order_acq_rel, std::memory_order_acquire))
            return;
    }
}

} // namespace halvo
