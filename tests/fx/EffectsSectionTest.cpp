#include "fx/EffectsSection.h"

#include "fx/FxTestSupport.h"
#include "support/SignalAnalysis.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <thread>

namespace
{

using namespace halvo;
using halvo::test::allFinite;
using halvo::test::bitIdentical;

using Order = EffectsSection::Order;

constexpr double rate = 48000.0;

struct SectionRig
{
    SectionRig()
    {
        effects.prepare (rate);
    }

    void processRack (juce::AudioBuffer<float>& buffer, int blockSize = 512)
    {
        test::inBlocks (buffer, blockSize, [this] (juce::AudioBuffer<float>& block, int n) { effects.processRack (block, n); });
    }

    void processAll (juce::AudioBuffer<float>& buffer, int blockSize = 512)
    {
        test::inBlocks (buffer, blockSize, [this] (juce::AudioBuffer<float>& block, int n) {
            effects.processFixedEffects (block, n);
            effects.processRack (block, n);
        });
    }

    void switchOn (std::initializer_list<const char*> switchIds)
    {
        for (const auto* id : switchIds)
            host.set (id, 1.0f);
    }

    test::ParameterHost host;
    EffectsSection effects { host.parameters };
};

const char* const allSwitches[] = { "rackEqOn", "rackCompOn", "rackDistOn", "rackSatOn", "rackChorOn", "rackDelayOn", "rackRevOn" };

void switchOnEverySlot (SectionRig& rig)
{
    for (const auto* id : allSwitches)
        rig.host.set (id, 1.0f);
}

//==============================================================================

TEST (EffectsSection, AtTheDefaultSettingsNothingIsTouched)
{
    SectionRig rig;
    const auto input = test::makeSines (2, 2048, rate);
    auto output = input;
    rig.processAll (output);
    EXPECT_TRUE (bitIdentical (output, input));
}

TEST (EffectsSection, EveryRackParameterReachesItsSlot)
{
    struct FloatField
    {
        const char* id;
        float value;
        float FxSlotParams::*field;
    };
    const FloatField fields[] = {
        { "rackEqLow", 4.5f, &FxSlotParams::eqLowGainDb },
        { "rackEqBellFreq", 2500.0f, &FxSlotParams::eqBellFrequency },
        { "rackEqBell", -6.0f, &FxSlotParams::eqBellGainDb },
        { "rackEqHigh", 3.0f, &FxSlotParams::eqHighGainDb },
        { "rackCompThresh", -24.0f, &FxSlotParams::compThresholdDb },
        { "rackCompRatio", 6.0f, &FxSlotParams::compRatio },
        { "rackCompAttack", 5.0f, &FxSlotParams::compAttackMs },
        { "rackCompRelease", 200.0f, &FxSlotParams::compReleaseMs },
        { "rackCompMakeup", 4.0f, &FxSlotParams::compMakeupDb },
        { "rackDistDrive", 8.0f, &FxSlotParams::distDrive },
        { "rackDistMix", 0.6f, &FxSlotParams::distMix },
        { "rackSatDrive", 5.0f, &FxSlotParams::satDrive },
        { "rackSatMix", 0.7f, &FxSlotParams::satMix },
        { "rackChorDepth", 6.0f, &FxSlotParams::chorusDepthMs },
        { "rackChorRate", 1.5f, &FxSlotParams::chorusRateHz },
        { "rackChorFb", -0.3f, &FxSlotParams::chorusFeedback },
        { "rackChorMix", 0.4f, &FxSlotParams::chorusMix },
        { "rackDelayTime", 20.0f, &FxSlotParams::delayTimeMs },
        { "rackDelayFb", 0.5f, &FxSlotParams::delayFeedback },
        { "rackDelayMix", 0.35f, &FxSlotParams::delayMix },
        { "rackRevSize", 0.9f, &FxSlotParams::reverbSize },
        { "rackRevDamp", 0.2f, &FxSlotParams::reverbDamping },
        { "rackRevWidth", 0.5f, &FxSlotParams::reverbWidth },
        { "rackRevMix", 0.25f, &FxSlotParams::reverbMix },
    };

    SectionRig rig;
    switchOnEverySlot (rig);

    FxSlotParams expected;
    expected.enabled = true;
    expected.distMode = (int32_t) DistortionMode::Fold;
    rig.host.set ("rackDistMode", 2.0f);

    for (const auto& f : fields)
    {
        rig.host.set (f.id, f.value);
        expected.*f.field = *rig.host.parameters.getRawParameterValue (f.id);
    }

    // A non-default order, so that the order the section hands on is checked as well.
    rig.effects.moveSlot (6, 0);
    rig.effects.moveSlot (3, 5);
    const Order order = rig.effects.getRackOrder();
    ASSERT_NE (order, FxRack::defaultOrder);

    FxRack reference;
    reference.prepare (rate);
    for (int slot = 0; slot < numFxSlots; ++slot)
        reference.getSlotParams (static_cast<FxSlot> (slot)) = expected;
    reference.setOrder (order);

    const auto input = test::makeSines (2, 4096, rate);
    auto output = input, referenceOutput = input;
    rig.processRack (output);
    test::inBlocks (referenceOutput, 512, [&] (juce::AudioBuffer<float>& block, int n) { reference.process (block, n); });

    EXPECT_TRUE (bitIdentical (output, referenceOutput));
    EXPECT_FALSE (bitIdentical (output, input));
}

TEST (EffectsSection, SwitchesAndTheModeAreReadLikeTheirParameters)
{
    struct Case
    {
        float rawSwitch, rawMode;
        bool expectedOn;
        int32_t expectedMode;
    };
    const Case cases[] = {
        { 0.5f, 0.0f, true, 0 },
        { 0.49f, 0.0f, false, 0 },
        { 1.0f, 2.9f, true, 2 }, // choice values are truncated
        { 1.0f, 3.5f, true, 3 },
    };

    for (const auto& c : cases)
    {
        SectionRig rig;
        rig.host.setRaw ("rackDistOn", c.rawSwitch);
        rig.host.setRaw ("rackDistMode", c.rawMode);
        rig.host.set ("rackDistDrive", 20.0f);
        rig.host.set ("rackDistMix", 1.0f);

        FxRack reference;
        reference.prepare (rate);
        FxSlotParams expected;
        expected.enabled = c.expectedOn;
        expected.distMode = c.expectedMode;
        expected.distDrive = 20.0f;
        expected.distMix = 1.0f;
        reference.getSlotParams (FxSlot::Dist) = expected;

        const auto input = test::makeSines (2, 1024, rate);
        auto output = input, referenceOutput = input;
        rig.processRack (output);
        reference.process (referenceOutput, 1024);

        EXPECT_TRUE (bitIdentical (output, referenceOutput)) << c.rawSwitch << " " << c.rawMode;
        EXPECT_EQ (bitIdentical (output, input), ! c.expectedOn);
    }
}

//==============================================================================
// Rack order

TEST (EffectsSectionOrder, StartsAsTheDefault)
{
    SectionRig rig;
    EXPECT_EQ (rig.effects.getRackOrder(), FxRack::defaultOrder);
}

TEST (EffectsSectionOrder, MoveSlotReinsertsAndShiftsTheEntriesBetween)
{
    struct Case
    {
        Order start;
        int from, to;
        Order expected;
    };
    const Case cases[] = {
        { FxRack::defaultOrder, 0, 3, { 1, 2, 3, 0, 4, 5, 6 } },
        { FxRack::defaultOrder, 6, 0, { 6, 0, 1, 2, 3, 4, 5 } },
        { FxRack::defaultOrder, 0, 6, { 1, 2, 3, 4, 5, 6, 0 } },
        { FxRack::defaultOrder, 2, 3, { 0, 1, 3, 2, 4, 5, 6 } },
        { FxRack::defaultOrder, 5, 1, { 0, 5, 1, 2, 3, 4, 6 } },
        { { 6, 5, 4, 3, 2, 1, 0 }, 1, 4, { 6, 4, 3, 2, 5, 1, 0 } },
        { { 0, 0, 3, 3, 3, 6, 6 }, 6, 2, { 0, 0, 6, 3, 3, 3, 6 } },
    };

    for (const auto& c : cases)
    {
        SectionRig rig;
        rig.effects.setRackOrder (c.start);
        rig.effects.moveSlot (c.from, c.to);
        EXPECT_EQ (rig.effects.getRackOrder(), c.expected) << c.from << " -> " << c.to;
    }
}

TEST (EffectsSectionOrder, InvalidMovesChangeNothing)
{
    const std::pair<int, int> moves[] = { { 3, 3 }, { -1, 2 }, { 2, -1 }, { 7, 0 }, { 0, 7 }, { 100, 3 }, { 0, std::numeric_limits<int>::min() } };
    const Order start { 2, 4, 6, 1, 3, 5, 0 };

    for (const auto& [from, to] : moves)
    {
        SectionRig rig;
        rig.effects.setRackOrder (start);
        rig.effects.moveSlot (from, to);
        EXPECT_EQ (rig.effects.getRackOrder(), start) << from << " -> " << to;
    }
}

TEST (EffectsSectionOrder, SetOrderClampsEveryEntry)
{
    SectionRig rig;
    rig.effects.setRackOrder ({ -1, 7, 9, 3, 3, std::numeric_limits<int>::max(), 2 });
    const Order expected { 0, 6, 6, 3, 3, 6, 2 };
    EXPECT_EQ (rig.effects.getRackOrder(), expected);
}

TEST (EffectsSectionOrder, AReaderNeverSeesAHalfWrittenOrder)
{
    SectionRig rig;
    std::atomic<bool> done { false };
    std::atomic<int> reads { 0 };

    std::thread editor ([&] {
        for (int i = 0; i < 20000; ++i)
        {
            // On a loaded machine the reader might otherwise only run before or after all the
            // moves; every so often the editor waits until it has read once more.
            const int readsBefore = reads.load();
            rig.effects.moveSlot (i % 7, (i * 3 + 1) % 7);
            if (i % 1000 == 999)
                while (reads.load() == readsBefore)
                    std::this_thread::yield();
        }
        done = true;
    });

    // Every move keeps a permutation of the seven slots; a torn read would show a duplicate.
    bool sawChange = false;
    while (! done.load() || reads.load() < 1000)
    {
        auto order = rig.effects.getRackOrder();
        sawChange = sawChange || order != FxRack::defaultOrder;
        std::sort (order.begin(), order.end());
        ASSERT_EQ (order, FxRack::defaultOrder) << "after " << reads.load() << " reads";
        ++reads;
    }

    editor.join();
    EXPECT_TRUE (sawChange);
}

//==============================================================================
// Channels and bad samples

TEST (EffectsSection, OneChannelGetsWhatTheLeftChannelOfAStereoBufferGets)
{
    // The slots that treat the channels independently; the compressor and the reverb link them.
    SectionRig mono, stereo;
    for (auto* rig : { &mono, &stereo })
    {
        rig->switchOn ({ "rackEqOn", "rackDistOn", "rackSatOn", "rackChorOn", "rackDelayOn" });
        rig->host.set ("rackEqLow", 6.0f);
        rig->host.set ("rackDelayTime", 4.0f);
        rig->host.set ("fxDriveMix", 0.5f);
        rig->host.set ("fxDelayMix", 0.5f);
        rig->host.set ("fxDelayTime", 3.0f);
    }

    auto stereoBuffer = test::makeSines (2, 3000, rate);
    auto monoBuffer = test::makeSignal (1, 3000, [&] (int, int i) { return stereoBuffer.getSample (0, i); });
    const auto input = monoBuffer;

    mono.processAll (monoBuffer);
    stereo.processAll (stereoBuffer);

    for (int i = 0; i < 3000; ++i)
        ASSERT_EQ (monoBuffer.getSample (0, i), stereoBuffer.getSample (0, i)) << i;
    EXPECT_FALSE (bitIdentical (monoBuffer, input));
}

TEST (EffectsSection, EverySlotRunsOnOneChannel)
{
    SectionRig rig;
    switchOnEverySlot (rig);
    rig.host.set ("rackEqBell", 6.0f);

    const auto input = test::makeSines (1, 4096, rate);
    auto output = input;
    rig.processAll (output);

    EXPECT_TRUE (allFinite (output));
    EXPECT_FALSE (bitIdentical (output, input));
}

TEST (EffectsSection, ABlockOfNotANumberActsAsSilenceAndPlayRecovers)
{
    SectionRig hit, clean;
    for (auto* rig : { &hit, &clean })
    {
        switchOnEverySlot (*rig);
        rig->host.set ("rackEqHigh", -6.0f);
        rig->host.set ("fxDriveMix", 0.3f);
        rig->host.set ("fxDelayMix", 0.3f);
        rig->host.set ("fxDelayTime", 20.0f);
    }

    const float nan = std::numeric_limits<float>::quiet_NaN();
    auto hitBuffer = test::makeSines (2, 4096, rate);
    auto cleanBuffer = hitBuffer;
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < 512; ++i)
        {
            hitBuffer.setSample (ch, i, nan);
            cleanBuffer.setSample (ch, i, 0.0f);
        }

    hit.processAll (hitBuffer);
    clean.processAll (cleanBuffer);

    EXPECT_TRUE (allFinite (hitBuffer));
    EXPECT_TRUE (bitIdentical (hitBuffer, cleanBuffer));
    EXPECT_GT (test::peak (hitBuffer.getReadPointer (0) + 2048, 2048), 0.05f);
}

} // namespace
