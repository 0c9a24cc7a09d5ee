#include "engine/ParameterLayout.h"
#include "support/ProcessorTestHelpers.h"

namespace
{

using namespace halvo;
using test::setParameter;
using test::setRawValue;

class SharedStateRefresh : public ::testing::Test
{
protected:
    const VoiceSharedState& refreshed()
    {
        processor.refreshSharedStateFromParameters();
        return processor.getSharedState();
    }

    const ModulationBlockSettings& modulation()
    {
        processor.refreshSharedStateFromParameters();
        return processor.getModulationSettings();
    }

    HalvoSynthAudioProcessor processor;
};

TEST_F (SharedStateRefresh, DefaultsReachTheVoicesInTheirOwnForm)
{
    const auto& s = refreshed();

    EXPECT_EQ (s.oscA.shape, 1);
    EXPECT_FLOAT_EQ (s.oscA.level, 1.0f);
    EXPECT_FLOAT_EQ (s.oscB.level, 0.5f);
    EXPECT_FLOAT_EQ (s.oscC.level, 0.0f);
    EXPECT_EQ (s.oscA.wavetableIndex, 0);
    EXPECT_EQ (s.oscB.wavetableIndex, 1);
    EXPECT_EQ (s.oscC.wavetableIndex, 8);
    EXPECT_TRUE (s.oscA.useWavetable && s.oscB.useWavetable && s.oscC.useWavetable);

    EXPECT_FLOAT_EQ (s.ampAttack, 0.005f);
    EXPECT_FLOAT_EQ (s.ampSustain, 0.8f);
    EXPECT_FLOAT_EQ (s.env2.decay, 0.2f);
    EXPECT_FLOAT_EQ (s.env4.sustain, 0.5f);

    EXPECT_TRUE (s.filter1.enabled);
    EXPECT_FLOAT_EQ (s.filter1.cutoff, 12000.0f);
    EXPECT_FALSE (s.filter2.enabled);
    EXPECT_EQ (s.filter2.mode, 1);
    EXPECT_FLOAT_EQ (s.filter2.cutoff, 500.0f);
    EXPECT_EQ (s.filterRouting, 0);

    EXPECT_EQ (s.unisonCount, 1);
    EXPECT_FLOAT_EQ (s.unisonDetune, 20.0f);
    EXPECT_FLOAT_EQ (s.unisonWidth, 0.5f);
    EXPECT_FALSE (s.captureEnabled);
    EXPECT_FLOAT_EQ (s.captureLevel, 0.5f);
}

TEST_F (SharedStateRefresh, ChoicesBecomeTheVoicesCodes)
{
    setParameter (processor, "subOscShape", 1.0f);     // "Square"
    setParameter (processor, "filter1Slope", 1.0f);    // "24 dB"
    setParameter (processor, "filter2Slope", 1.0f);
    setParameter (processor, "filterRouting", 1.0f);   // "Parallel"
    setParameter (processor, "captureMode", 1.0f);     // "Granular"
    setParameter (processor, "filterMode", 3.0f);      // "Notch"
    setParameter (processor, "oscBShape", 2.0f);

    auto s = refreshed();
    EXPECT_EQ (s.subShape, 2);
    EXPECT_EQ (s.filter1.slope, 1);
    EXPECT_EQ (s.filter2.slope, 1);
    EXPECT_EQ (s.filterRouting, 1);
    EXPECT_TRUE (s.captureGranular);
    EXPECT_EQ (s.filterMode, 3);
    EXPECT_EQ (s.filter1.mode, 3);
    EXPECT_EQ (s.oscB.shape, 2);

    setParameter (processor, "subOscShape", 0.0f); // "Sine"
    s = refreshed();
    EXPECT_EQ (s.subShape, 0);
}

TEST_F (SharedStateRefresh, Filter1FollowsTheFilterParameters)
{
    setParameter (processor, "filterCutoff", 440.0f);
    setParameter (processor, "filterResonance", 0.7f);
    setParameter (processor, "filter1Drive", 0.25f);
    setParameter (processor, "filter1Mix", 0.5f);
    setParameter (processor, "filter1Keytrack", 0.75f);

    const auto& s = refreshed();
    EXPECT_NEAR (s.filterCutoff, 440.0f, 0.01f);
    EXPECT_FLOAT_EQ (s.filter1.cutoff, s.filterCutoff);
    EXPECT_FLOAT_EQ (s.filter1.resonance, 0.7f);
    EXPECT_FLOAT_EQ (s.filterResonance, 0.7f);
    EXPECT_FLOAT_EQ (s.filter1.drive, 0.25f);
    EXPECT_FLOAT_EQ (s.filter1.mix, 0.5f);
    EXPECT_FLOAT_EQ (s.filter1.keyTrack, 0.75f);
}

TEST_F (SharedStateRefresh, SwitchesAreOnFromExactlyOneHalf)
{
    const char* switches[] = { "captureEnabled", "filter2Enabled", "voiceLegato" };

    for (const auto* id : switches)
        setRawValue (processor, id, 0.5f);

    auto s = refreshed();
    EXPECT_TRUE (s.captureEnabled);
    EXPECT_TRUE (s.filter2.enabled);
    EXPECT_TRUE (s.legato);

    for (const auto* id : switches)
        setRawValue (processor, id, 0.4999f);

    s = refreshed();
    EXPECT_FALSE (s.captureEnabled);
    EXPECT_FALSE (s.filter2.enabled);
    EXPECT_FALSE (s.legato);
}

TEST_F (SharedStateRefresh, IntegersAreTruncatedTowardZeroAndShapesClamped)
{
    setRawValue (processor, "oscAOctave", -2.7f);
    setRawValue (processor, "oscATune", 5.9f);
    setRawValue (processor, "oscAShape", 7.0f);
    setRawValue (processor, "oscCWavetable", 19.99f);
    setRawValue (processor, "filter2Mode", -3.0f);
    setRawValue (processor, "unisonCount", 16.5f);
    setRawValue (processor, "lfo5Shape", 9.0f);

    const auto& s = refreshed();
    EXPECT_EQ (s.oscA.octave, -2);
    EXPECT_EQ (s.oscA.tune, 5);
    EXPECT_EQ (s.oscA.shape, 2);
    EXPECT_EQ (s.oscC.wavetableIndex, 19);
    EXPECT_EQ (s.filter2.mode, 0);
    EXPECT_EQ (s.unisonCount, 16);
    EXPECT_EQ (processor.getModulationSettings().lfos[4].shape, 5);
}

TEST_F (SharedStateRefresh, CaptureInputGainAndGate)
{
    struct Case
    {
        float gainIn, gainOut, gateIn, gateDbOut, gateFactorOut;
    };
    const Case cases[] = {
        { 1.0f, 1.0f, -60.0f, -60.0f, 0.001f },
        { 3.0f, 2.0f, -80.0f, -80.0f, 1.0e-4f },
        { -0.5f, 0.0f, -100.0f, -80.0f, 1.0e-4f },
        { 0.25f, 0.25f, -20.0f, -20.0f, 0.1f },
        { 0.25f, 0.25f, 0.0f, -20.0f, 0.1f },
    };

    for (const auto& c : cases)
    {
        setRawValue (processor, "captureInputGain", c.gainIn);
        setRawValue (processor, "captureNoiseGate", c.gateIn);
        processor.refreshSharedStateFromParameters();

        const auto& input = processor.getCaptureInputSettings();
        EXPECT_FLOAT_EQ (input.inputGain.load(), c.gainOut) << c.gainIn;
        EXPECT_FLOAT_EQ (input.gateDb.load(), c.gateDbOut) << c.gateIn;
        EXPECT_NEAR (input.gateFactor.load(), c.gateFactorOut, c.gateFactorOut * 1.0e-5f) << c.gateIn;
    }
}

TEST_F (SharedStateRefresh, TempoFallsBackTo120WhenTheHostGivesNone)
{
    test::FakePlayHead playHead;

    struct Case
    {
        bool attach;
        bool hasPosition;
        std::optional<double> bpm;
        double expected;
    };
    const Case cases[] = {
        { false, true, 140.0, 120.0 },          // no play-head at all
        { true, false, 140.0, 120.0 },          // play-head without a position
        { true, true, std::nullopt, 120.0 },    // position without a tempo
        { true, true, 0.0, 120.0 },
        { true, true, -30.0, 120.0 },
        { true, true, 140.0, 140.0 },
    };

    for (const auto& c : cases)
    {
        playHead.hasPosition = c.hasPosition;
        playHead.bpm = c.bpm;
        processor.setPlayHead (c.attach ? &playHead : nullptr);
        EXPECT_DOUBLE_EQ (modulation().tempoBpm, c.expected);
    }

    processor.setPlayHead (nullptr);
}

TEST_F (SharedStateRefresh, SyncedLfosTakeTheirRateFromTempoAndDivision)
{
    test::FakePlayHead playHead;
    processor.setPlayHead (&playHead);

    struct Case
    {
        std::optional<double> bpm;
        int division;
        float expectedRate;
    };
    const Case cases[] = {
        { std::nullopt, 7, 2.0f },        // "1/4" at the fallback tempo: one cycle a beat
        { 120.0, 1, 2.0f / 32.0f },       // "8/1"
        { 120.0, 6, 1.5f },               // "1/2T": 4/3 beats
        { 120.0, 12, 12.0f },             // "1/16T": 1/6 beat
        { 150.0, 13, 20.0f },             // "1/32"
        { 90.0, 4, 0.375f },              // "1/1"
        { 999.0, 13, 50.0f },             // clamped to the LFO's fastest rate
    };

    for (const auto& c : cases)
    {
        playHead.bpm = c.bpm;
        for (int n = 1; n <= 10; ++n)
            setParameter (processor, halvo::lfoParameterId (n, "Sync"), (float) c.division);

        const auto& lfos = modulation().lfos;
        for (int n = 0; n < 10; ++n)
            EXPECT_NEAR (lfos[(size_t) n].rate, c.expectedRate, c.expectedRate * 1.0e-5f)
                << "LFO " << n + 1 << " division " << c.division;
    }

    processor.setPlayHead (nullptr);
}

TEST_F (SharedStateRefresh, FreeLfosUseTheirRatePhaseAndShape)
{
    setParameter (processor, "lfo1Rate", 4.0f);
    setParameter (processor, "lfo10Rate", 0.05f);
    setParameter (processor, "lfo2Phase", 0.25f);
    setRawValue (processor, "lfo3Phase", 1.0f); // a whole cycle is no offset
    setParameter (processor, "lfo4Shape", 5.0f);
    setRawValue (processor, "lfo6Rate", 80.0f);

    const auto& lfos = modulation().lfos;
    EXPECT_NEAR (lfos[0].rate, 4.0f, 1.0e-4f);
    EXPECT_NEAR (lfos[9].rate, 0.05f, 1.0e-6f);
    EXPECT_FLOAT_EQ (lfos[1].phaseOffset, 0.25f);
    EXPECT_EQ (lfos[2].phaseOffset, 0.0f);
    EXPECT_EQ (lfos[3].shape, 5);
    EXPECT_EQ (lfos[5].rate, 50.0f);
}

TEST_F (SharedStateRefresh, MacrosAndFixedDepths)
{
    setParameter (processor, "macro1", 0.3f);
    setRawValue (processor, "macro8", 1.7f);
    setParameter (processor, "modDepthLfo1Cutoff", -0.5f);
    setParameter (processor, "modDepthLfo2Cutoff", 0.75f);

    processor.refreshSharedStateFromParameters();
    const auto& macros = processor.getModulationSettings().macros;
    EXPECT_FLOAT_EQ (macros[0], 0.3f);
    EXPECT_FLOAT_EQ (macros[7], 1.0f);

    const auto& depths = processor.getSharedState().fixedDepths;
    EXPECT_FLOAT_EQ (depths[0], -0.5f);
    EXPECT_FLOAT_EQ (depths[8], 0.75f);
}

} // namespace
