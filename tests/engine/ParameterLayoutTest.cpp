#include <gtest/gtest.h>

#include "engine/HalvoSynthAudioProcessor.h"

#include <cmath>
#include <memory>
#include <set>
#include <string>
#include <vector>

// Checks the processor's parameter set against a table written out independently of the
// layout code: every ID, name, kind, range, step, mapping, default and choice list, and the
// order in which hosts see them.

namespace
{

using ItemList = std::vector<const char*>;

const ItemList distortionModes { "Soft Clip", "Hard Clip", "Fold", "Bit Crush" };
const ItemList arpModes { "Up", "Down", "Up/Down", "Random", "Order" };
const ItemList arpRates { "1/4", "1/8", "1/8T", "1/16", "1/16T", "1/32" };
const ItemList oscillatorShapes { "Sine", "Saw", "Square" };
const ItemList wavetables { "Basic Saw", "Basic Square", "Basic Sine", "Basic Triangle",
                            "Harmonic Sweep", "Odd / Even", "Formant Vowel", "Folded Sine",
                            "Reese Engine", "Growl Bass", "Dirty Dubstep", "Sub Round",
                            "FM Metal", "Vowel Talker", "Fold Screamer", "Sync Saw",
                            "Metal Clang", "Reese Wide", "Bit Dirt", "Sub Punch" };
const ItemList warpModes { "Off", "Bend", "PWM", "Sync", "Mirror", "Fold" };
const ItemList subShapes { "Sine", "Square" };
const ItemList captureModes { "Cycle", "Granular" };
const ItemList filterModes { "Low", "High", "Band", "Notch" };
const ItemList filterSlopes { "12 dB", "24 dB" };
const ItemList filterRoutings { "Series", "Parallel" };
const ItemList lfoShapesBasic { "Sine", "Triangle", "Saw", "Square" };
const ItemList lfoShapesExtended { "Sine", "Triangle", "Saw", "Square", "Ramp Dn", "S&H" };
const ItemList lfoSyncDivisions { "Hz", "8/1", "4/1", "2/1", "1/1", "1/2", "1/2T",
                                  "1/4", "1/4T", "1/8", "1/8T", "1/16", "1/16T", "1/32" };

enum class Kind { floating, choice, toggle, integer };
enum class Mapping { none, linear, portamento, logarithmic };

struct Expected
{
    std::string id;
    std::string name;
    Kind kind;
    float start = 0.0f;
    float end = 1.0f;
    float step = 0.0f;
    Mapping mapping = Mapping::none;
    float defaultValue = 0.0f; // value for floats and ints, item index for choices, 0/1 for bools
    const ItemList* items = nullptr;
};

Expected linear (std::string id, std::string name, float start, float end, float step, float def)
{
    return { std::move (id), std::move (name), Kind::floating, start, end, step, Mapping::linear, def };
}

Expected logarithmic (std::string id, std::string name, float start, float end, float def)
{
    return { std::move (id), std::move (name), Kind::floating, start, end, 0.0f, Mapping::logarithmic, def };
}

Expected logTime (std::string id, std::string name, float def)      { return logarithmic (std::move (id), std::move (name), 0.001f, 8.0f, def); }
Expected logFrequency (std::string id, std::string name, float def) { return logarithmic (std::move (id), std::move (name), 20.0f, 20000.0f, def); }
Expected logRate (std::string id, std::string name, float def)      { return logarithmic (std::move (id), std::move (name), 0.01f, 50.0f, def); }

Expected choice (std::string id, std::string name, const ItemList& items, int defaultIndex)
{
    return { std::move (id), std::move (name), Kind::choice, 0.0f, (float) items.size() - 1.0f, 1.0f,
             Mapping::none, (float) defaultIndex, &items };
}

Expected toggle (std::string id, std::string name)
{
    return { std::move (id), std::move (name), Kind::toggle, 0.0f, 1.0f, 1.0f, Mapping::none, 0.0f };
}

Expected integer (std::string id, std::string name, int min, int max, int def)
{
    return { std::move (id), std::move (name), Kind::integer, (float) min, (float) max, 1.0f,
             Mapping::none, (float) def };
}

/** Every parameter, in host order. */
std::vector<Expected> expectedLayout()
{
    std::vector<Expected> p {
        // Master and fixed effects
        linear ("masterGain", "Master Gain", -60.0f, 12.0f, 0.01f, 0.0f),
        linear ("fxDriveAmt", "Drive Amount", 1.0f, 24.0f, 0.01f, 2.0f),
        linear ("fxDriveMix", "Drive Mix", 0.0f, 1.0f, 0.001f, 0.0f),
        linear ("fxDelayTime", "Delay Time", 1.0f, 1000.0f, 1.0f, 350.0f),
        linear ("fxDelayFeedback", "Delay Feedback", 0.0f, 0.95f, 0.001f, 0.35f),
        linear ("fxDelayMix", "Delay Mix", 0.0f, 1.0f, 0.001f, 0.0f),

        // Effects rack
        toggle ("rackEqOn", "Rack EQ On"),
        linear ("rackEqLow", "Rack EQ Low", -18.0f, 18.0f, 0.1f, 0.0f),
        linear ("rackEqBellFreq", "Rack EQ Bell Freq", 100.0f, 12000.0f, 1.0f, 1000.0f),
        linear ("rackEqBell", "Rack EQ Bell", -18.0f, 18.0f, 0.1f, 0.0f),
        linear ("rackEqHigh", "Rack EQ High", -18.0f, 18.0f, 0.1f, 0.0f),
        toggle ("rackCompOn", "Rack Comp On"),
        linear ("rackCompThresh", "Rack Comp Threshold", -60.0f, 0.0f, 0.1f, -18.0f),
        linear ("rackCompRatio", "Rack Comp Ratio", 1.0f, 20.0f, 0.1f, 4.0f),
        linear ("rackCompAttack", "Rack Comp Attack", 0.1f, 200.0f, 0.1f, 10.0f),
        linear ("rackCompRelease", "Rack Comp Release", 5.0f, 1000.0f, 1.0f, 120.0f),
        linear ("rackCompMakeup", "Rack Comp Makeup", -12.0f, 24.0f, 0.1f, 0.0f),
        toggle ("rackDistOn", "Rack Dist On"),
        choice ("rackDistMode", "Rack Dist Mode", distortionModes, 0),
        linear ("rackDistDrive", "Rack Dist Drive", 1.0f, 50.0f, 0.01f, 4.0f),
        linear ("rackDistMix", "Rack Dist Mix", 0.0f, 1.0f, 0.001f, 0.5f),
        toggle ("rackSatOn", "Rack Sat On"),
        linear ("rackSatDrive", "Rack Sat Drive", 1.0f, 24.0f, 0.01f, 2.0f),
        linear ("rackSatMix", "Rack Sat Mix", 0.0f, 1.0f, 0.001f, 0.5f),
        toggle ("rackChorOn", "Rack Chorus On"),
        linear ("rackChorRate", "Rack Chorus Rate", 0.01f, 10.0f, 0.01f, 0.6f),
        linear ("rackChorDepth", "Rack Chorus Depth", 0.0f, 15.0f, 0.01f, 3.0f),
        linear ("rackChorFb", "Rack Chorus Feedback", -0.95f, 0.95f, 0.001f, 0.2f),
        linear ("rackChorMix", "Rack Chorus Mix", 0.0f, 1.0f, 0.001f, 0.5f),
        toggle ("rackDelayOn", "Rack Delay On"),
        linear ("rackDelayTime", "Rack Delay Time", 1.0f, 2000.0f, 1.0f, 350.0f),
        linear ("rackDelayFb", "Rack Delay Feedback", 0.0f, 0.95f, 0.001f, 0.35f),
        linear ("rackDelayMix", "Rack Delay Mix", 0.0f, 1.0f, 0.001f, 0.3f),
        toggle ("rackRevOn", "Rack Reverb On"),
        linear ("rackRevSize", "Rack Reverb Size", 0.0f, 1.0f, 0.001f, 0.6f),
        linear ("rackRevDamp", "Rack Reverb Damp", 0.0f, 1.0f, 0.001f, 0.5f),
        linear ("rackRevWidth", "Rack Reverb Width", 0.0f, 1.0f, 0.001f, 1.0f),
        linear ("rackRevMix", "Rack Reverb Mix", 0.0f, 1.0f, 0.001f, 0.3f),

        // Arpeggiator and voicing
        toggle ("arpOn", "Arp On"),
        choice ("arpMode", "Arp Mode", arpModes, 0),
        choice ("arpRate", "Arp Rate", arpRates, 3),
        integer ("arpOctaves", "Arp Octaves", 1, 4, 1),
        linear ("arpGate", "Arp Gate", 0.05f, 1.0f, 0.001f, 0.5f),
        toggle ("arpHold", "Arp Hold"),
        toggle ("voiceMono", "Mono"),
        integer ("unisonCount", "Unison Voices", 1, 16, 1),
        linear ("unisonDetune", "Unison Detune", 0.0f, 100.0f, 0.1f, 20.0f),
        linear ("unisonWidth", "Unison Width", 0.0f, 1.0f, 0.001f, 0.5f),
        toggle ("voiceLegato", "Legato"),
        { "voicePortamento", "Portamento", Kind::floating, 0.0f, 2.0f, 0.001f, Mapping::portamento, 0.0f },
        integer ("globalTranspose", "Transpose", -48, 48, 0),

        // Oscillators
        choice ("oscAShape", "Osc A Shape", oscillatorShapes, 1),
        linear ("oscALevel", "Osc A Level", 0.0f, 1.0f, 0.001f, 1.0f),
        integer ("oscAOctave", "Osc A Octave", -3, 3, 0),
        integer ("oscATune", "Osc A Tune", -24, 24, 0),
        linear ("oscAFineTune", "Osc A Fine Tune", -100.0f, 100.0f, 0.01f, 0.0f),
        choice ("oscAWavetable", "Osc A Wavetable", wavetables, 0),
        linear ("oscAWtPos", "Osc A WT Position", 0.0f, 1.0f, 0.0001f, 0.0f),
        choice ("oscAWarpMode", "Osc A Warp Mode", warpModes, 0),
        linear ("oscAWarpAmt", "Osc A Warp Amount", 0.0f, 1.0f, 0.001f, 0.0f),
        linear ("oscAFmAmt", "Osc A FM (from B)", 0.0f, 1.0f, 0.001f, 0.0f),
        choice ("oscBShape", "Osc B Shape", oscillatorShapes, 1),
        linear ("oscBLevel", "Osc B Level", 0.0f, 1.0f, 0.001f, 0.5f),
        integer ("oscBOctave", "Osc B Octave", -3, 3, 0),
        integer ("oscBTune", "Osc B Tune", -24, 24, 0),
        linear ("oscBFineTune", "Osc B Fine Tune", -100.0f, 100.0f, 0.01f, 0.0f),
        choice ("oscBWavetable", "Osc B Wavetable", wavetables, 1),
        linear ("oscBWtPos", "Osc B WT Position", 0.0f, 1.0f, 0.0001f, 0.0f),
        choice ("oscBWarpMode", "Osc B Warp Mode", warpModes, 0),
        linear ("oscBWarpAmt", "Osc B Warp Amount", 0.0f, 1.0f, 0.001f, 0.0f),
        choice ("oscCShape", "Osc C Shape", oscillatorShapes, 1),
        linear ("oscCLevel", "Osc C Level", 0.0f, 1.0f, 0.001f, 0.0f),
        integer ("oscCOctave", "Osc C Octave", -3, 3, 0),
        integer ("oscCTune", "Osc C Tune", -24, 24, 0),
        linear ("oscCFineTune", "Osc C Fine Tune", -100.0f, 100.0f, 0.01f, 0.0f),
        choice ("oscCWavetable", "Osc C Wavetable", wavetables, 8),
        linear ("oscCWtPos", "Osc C WT Position", 0.0f, 1.0f, 0.0001f, 0.0f),
        choice ("oscCWarpMode", "Osc C Warp Mode", warpModes, 0),
        linear ("oscCWarpAmt", "Osc C Warp Amount", 0.0f, 1.0f, 0.001f, 0.0f),

        // Sub oscillator, noise and capture
        choice ("subOscShape", "Sub Osc Shape", subShapes, 0),
        linear ("subOscLevel", "Sub Osc Level", 0.0f, 1.0f, 0.001f, 0.0f),
        linear ("noiseLevel", "Noise Level", 0.0f, 1.0f, 0.001f, 0.0f),
        toggle ("captureEnabled", "Capture Enabled"),
        linear ("captureLevel", "Capture Level", 0.0f, 1.0f, 0.001f, 0.5f),
        choice ("captureMode", "Capture Mode", captureModes, 0),
        linear ("captureInputGain", "Capture Input Gain", 0.0f, 2.0f, 0.001f, 1.0f),
        linear ("captureNoiseGate", "Capture Noise Gate", -80.0f, -20.0f, 0.1f, -60.0f),
        linear ("captureDuration", "Capture Duration", 0.5f, 4.0f, 0.01f, 2.0f),

        // Amplitude envelope and filters
        logTime ("envAttack", "Attack", 0.005f),
        logTime ("envDecay", "Decay", 0.15f),
        linear ("envSustain", "Sustain", 0.0f, 1.0f, 0.001f, 0.8f),
        logTime ("envRelease", "Release", 0.3f),
        logFrequency ("filterCutoff", "Filter Cutoff", 12000.0f),
        linear ("filterResonance", "Filter Resonance", 0.0f, 1.0f, 0.001f, 0.2f),
        choice ("filterMode", "Filter 1 Mode", filterModes, 0),
        choice ("filter1Slope", "Filter 1 Slope", filterSlopes, 0),
        linear ("filter1Drive", "Filter 1 Drive", 0.0f, 1.0f, 0.001f, 0.0f),
        linear ("filter1Mix", "Filter 1 Mix", 0.0f, 1.0f, 0.001f, 1.0f),
        linear ("filter1Keytrack", "Filter 1 Key Track", 0.0f, 1.0f, 0.001f, 0.0f),
        toggle ("filter2Enabled", "Filter 2 Enabled"),
        choice ("filter2Mode", "Filter 2 Mode", filterModes, 1),
        choice ("filter2Slope", "Filter 2 Slope", filterSlopes, 0),
        logFrequency ("filter2Cutoff", "Filter 2 Cutoff", 500.0f),
        linear ("filter2Resonance", "Filter 2 Resonance", 0.0f, 1.0f, 0.001f, 0.2f),
        linear ("filter2Drive", "Filter 2 Drive", 0.0f, 1.0f, 0.001f, 0.0f),
        linear ("filter2Mix", "Filter 2 Mix", 0.0f, 1.0f, 0.001f, 1.0f),
        linear ("filter2Keytrack", "Filter 2 Key Track", 0.0f, 1.0f, 0.001f, 0.0f),
        choice ("filterRouting", "Filter Routing", filterRoutings, 0),

        // LFO 1 and 2, fixed modulation depths
        logRate ("lfo1Rate", "LFO 1 Rate", 1.0f),
        choice ("lfo1Shape", "LFO 1 Shape", lfoShapesBasic, 0),
        logRate ("lfo2Rate", "LFO 2 Rate", 1.0f),
        choice ("lfo2Shape", "LFO 2 Shape", lfoShapesBasic, 0),
        choice ("lfo1Sync", "LFO 1 Sync", lfoSyncDivisions, 0),
        choice ("lfo2Sync", "LFO 2 Sync", lfoSyncDivisions, 0),
        linear ("modDepthLfo1Cutoff", "Mod Depth LFO1 -> Cutoff", -1.0f, 1.0f, 0.001f, 0.0f),
        linear ("modDepthLfo1OscAPitch", "Mod Depth LFO1 -> Osc A Pitch", -1.0f, 1.0f, 0.001f, 0.0f),
        linear ("modDepthLfo2OscBPitch", "Mod Depth LFO2 -> Osc B Pitch", -1.0f, 1.0f, 0.001f, 0.0f),
        linear ("modDepthVelocityCutoff", "Mod Depth Velocity -> Cutoff", -1.0f, 1.0f, 0.001f, 0.0f),
        linear ("modDepthLfo1OscAWtPos", "Mod Depth LFO1 -> Osc A WT Pos", -1.0f, 1.0f, 0.001f, 0.0f),
        linear ("modDepthLfo2OscBWtPos", "Mod Depth LFO2 -> Osc B WT Pos", -1.0f, 1.0f, 0.001f, 0.0f),
        linear ("modDepthEnv2OscAWtPos", "Mod Depth ENV2 -> Osc A WT Pos", -1.0f, 1.0f, 0.001f, 0.0f),
        linear ("modDepthEnv2Cutoff", "Mod Depth ENV2 -> Cutoff", -1.0f, 1.0f, 0.001f, 0.0f),
        linear ("modDepthLfo2Cutoff", "Mod Depth LFO2 -> Cutoff", -1.0f, 1.0f, 0.001f, 0.0f),
    };

    for (int n = 3; n <= 10; ++n)
    {
        const auto id = "lfo" + std::to_string (n);
        const auto name = "LFO " + std::to_string (n);
        p.push_back (logRate (id + "Rate", name + " Rate", 1.0f));
        p.push_back (choice (id + "Shape", name + " Shape", lfoShapesExtended, 0));
        p.push_back (linear (id + "Phase", name + " Phase", 0.0f, 1.0f, 0.001f, 0.0f));
        p.push_back (choice (id + "Sync", name + " Sync", lfoSyncDivisions, 0));
    }

    p.push_back (linear ("lfo1Phase", "LFO 1 Phase", 0.0f, 1.0f, 0.001f, 0.0f));
    p.push_back (linear ("lfo2Phase", "LFO 2 Phase", 0.0f, 1.0f, 0.001f, 0.0f));

    for (int n = 1; n <= 8; ++n)
        p.push_back (linear ("macro" + std::to_string (n), "Macro " + std::to_string (n), 0.0f, 1.0f, 0.001f, 0.0f));

    for (int n = 2; n <= 4; ++n)
    {
        const auto id = "env" + std::to_string (n);
        const auto name = "ENV " + std::to_string (n);
        p.push_back (logTime (id + "Attack", name + " Attack", 0.005f));
        p.push_back (logTime (id + "Decay", name + " Decay", 0.2f));
        p.push_back (linear (id + "Sustain", name + " Sustain", 0.0f, 1.0f, 0.001f, 0.5f));
        p.push_back (logTime (id + "Release", name + " Release", 0.3f));
    }

    return p;
}

std::string idOf (const juce::AudioProcessorParameter* parameter)
{
    if (auto* withId = dynamic_cast<const juce::AudioProcessorParameterWithID*> (parameter))
        return withId->paramID.toStdString();

    return "<no ID>";
}

} // namespace

//==============================================================================
class ParameterLayout : public ::testing::Test
{
protected:
    // Building the processor (wavetables, voices) is not cheap and these tests only read it.
    static void SetUpTestSuite()    { processor = std::make_unique<halvo::HalvoSynthAudioProcessor>(); }
    static void TearDownTestSuite() { processor.reset(); }

    static const juce::Array<juce::AudioProcessorParameter*>& hostList()
    {
        return static_cast<juce::AudioProcessor&> (*processor).getParameters();
    }

    static juce::AudioProcessorValueTreeState& state() { return processor->getParameters(); }

    static juce::RangedAudioParameter* find (const std::string& id)
    {
        return state().getParameter (juce::String (id));
    }

    static inline std::unique_ptr<halvo::HalvoSynthAudioProcessor> processor;
    static inline const std::vector<Expected> expected = expectedLayout();
};

TEST_F (ParameterLayout, HostOrderIsTheLayoutTableWithUniqueIds)
{
    const auto& params = hostList();
    ASSERT_EQ (params.size(), 177);
    ASSERT_EQ (expected.size(), 177u);

    std::set<std::string> seen;
    for (int i = 0; i < params.size(); ++i)
    {
        const auto id = idOf (params[i]);
        EXPECT_TRUE (seen.insert (id).second) << "duplicate ID " << id;
        EXPECT_EQ (id, expected[(size_t) i].id) << "at position " << i + 1;
    }

    // The landmarks a host listing shows, by 1-based position.
    const std::vector<std::pair<int, std::string>> landmarks {
        { 1, "masterGain" }, { 123, "modDepthLfo2Cutoff" }, { 124, "lfo3Rate" }, { 155, "lfo10Sync" },
        { 156, "lfo1Phase" }, { 157, "lfo2Phase" }, { 158, "macro1" }, { 165, "macro8" },
        { 166, "env2Attack" }, { 177, "env4Release" }
    };
    for (const auto& [position, id] : landmarks)
        EXPECT_EQ (idOf (params[position - 1]), id) << "at position " << position;

    EXPECT_EQ (params.getFirst()->getName (100), juce::String ("Master Gain"));
    EXPECT_EQ (params.getLast()->getName (100), juce::String ("ENV 4 Release"));
}

TEST_F (ParameterLayout, EveryParameterHasItsNameKindRangeStepAndDefault)
{
    for (const auto& e : expected)
    {
        SCOPED_TRACE (e.id);
        auto* param = find (e.id);
        ASSERT_NE (param, nullptr);

        EXPECT_EQ (param->getName (100).toStdString(), e.name);

        const auto& range = param->getNormalisableRange();
        const auto defaultValue = range.convertFrom0to1 (param->getDefaultValue());
        const auto current = state().getRawParameterValue (juce::String (e.id))->load();

        switch (e.kind)
        {
            case Kind::floating:
            {
                ASSERT_NE (dynamic_cast<juce::AudioParameterFloat*> (param), nullptr);
                EXPECT_FLOAT_EQ (range.start, e.start);
                EXPECT_FLOAT_EQ (range.end, e.end);
                EXPECT_FLOAT_EQ (range.interval, e.step);

                // Round trips through the normalised default lose a little precision: allow a
                // fraction of the span for linear ranges, a fraction of the value for log ones.
                const auto tolerance = e.mapping == Mapping::logarithmic
                                         ? 1.0e-5f * std::abs (e.defaultValue) + 1.0e-9f
                                         : 1.0e-5f * (e.end - e.start);
                EXPECT_NEAR (defaultValue, e.defaultValue, tolerance);
                EXPECT_NEAR (current, e.defaultValue, tolerance);
                break;
            }

            case Kind::choice:
            {
                auto* c = dynamic_cast<juce::AudioParameterChoice*> (param);
                ASSERT_NE (c, nullptr);
                EXPECT_EQ (c->choices.size(), (int) e.items->size());
                EXPECT_FLOAT_EQ (range.start, 0.0f);
                EXPECT_FLOAT_EQ (range.end, e.end);
                EXPECT_EQ (juce::roundToInt (defaultValue), (int) e.defaultValue);
                EXPECT_EQ (c->getIndex(), (int) e.defaultValue);
                break;
            }

            case Kind::toggle:
            {
                auto* b = dynamic_cast<juce::AudioParameterBool*> (param);
                ASSERT_NE (b, nullptr);
                EXPECT_EQ (param->getDefaultValue(), e.defaultValue);
                EXPECT_EQ (b->get(), e.defaultValue >= 0.5f);
                break;
            }

            case Kind::integer:
            {
                auto* i = dynamic_cast<juce::AudioParameterInt*> (param);
                ASSERT_NE (i, nullptr);
                EXPECT_EQ (i->getRange().getStart(), (int) e.start);
                EXPECT_EQ (i->getRange().getEnd(), (int) e.end);
                EXPECT_FLOAT_EQ (range.interval, 1.0f);
                EXPECT_EQ (juce::roundToInt (defaultValue), (int) e.defaultValue);
                EXPECT_EQ (i->get(), (int) e.defaultValue);
                break;
            }
        }
    }
}

TEST_F (ParameterLayout, ChoiceParametersListTheirItemsInOrder)
{
    for (const auto& e : expected)
    {
        if (e.kind != Kind::choice)
            continue;

        SCOPED_TRACE (e.id);
        auto* c = dynamic_cast<juce::AudioParameterChoice*> (find (e.id));
        ASSERT_NE (c, nullptr);

        std::vector<std::string> actualItems;
        for (const auto& item : c->choices)
            actualItems.push_back (item.toStdString());

        EXPECT_EQ (actualItems, std::vector<std::string> (e.items->begin(), e.items->end()));
    }

    auto* reese = dynamic_cast<juce::AudioParameterChoice*> (find ("oscCWavetable"));
    ASSERT_NE (reese, nullptr);
    EXPECT_EQ (reese->getCurrentChoiceName(), juce::String ("Reese Engine"));
}

TEST_F (ParameterLayout, LinearFloatsMapProportionallyWithoutSkew)
{
    for (const auto& e : expected)
    {
        if (e.mapping != Mapping::linear)
            continue;

        SCOPED_TRACE (e.id);
        auto* param = find (e.id);
        ASSERT_NE (param, nullptr);

        const auto& range = param->getNormalisableRange();
        EXPECT_FLOAT_EQ (range.skew, 1.0f);
        EXPECT_NEAR (range.convertFrom0to1 (0.25f), e.start + 0.25f * (e.end - e.start), 1.0e-5f * (e.end - e.start));
        EXPECT_NEAR (range.convertFrom0to1 (0.5f), 0.5f * (e.start + e.end), 1.0e-5f * (e.end - e.start));
    }
}

TEST_F (ParameterLayout, PortamentoIsSkewedTowardsShortGlides)
{
    auto* param = find ("voicePortamento");
    ASSERT_NE (param, nullptr);

    const auto& range = param->getNormalisableRange();
    EXPECT_FLOAT_EQ (range.skew, 0.4f);
    EXPECT_FALSE (range.symmetricSkew);
    EXPECT_NEAR (range.convertFrom0to1 (0.5f), 2.0f * std::pow (0.5f, 1.0f / 0.4f), 1.0e-5f);
    EXPECT_NEAR (range.convertFrom0to1 (0.5f), 0.35355f, 1.0e-4f);
    EXPECT_FLOAT_EQ (range.convertFrom0to1 (0.0f), 0.0f);
    EXPECT_FLOAT_EQ (range.convertFrom0to1 (1.0f), 2.0f);
}

TEST_F (ParameterLayout, LogParametersMapExponentiallyAndContinuously)
{
    for (const auto& e : expected)
    {
        if (e.mapping != Mapping::logarithmic)
            continue;

        SCOPED_TRACE (e.id);
        auto* param = find (e.id);
        ASSERT_NE (param, nullptr);

        const auto& range = param->getNormalisableRange();
        const double s = e.start, ratio = (double) e.end / e.start;
        const auto valueAt = [&] (double p) { return s * std::pow (ratio, p); };

        EXPECT_FLOAT_EQ (range.interval, 0.0f);
        EXPECT_NEAR (param->convertFrom0to1 (0.0f), e.start, 1.0e-5 * e.start);
        EXPECT_NEAR (param->convertFrom0to1 (1.0f), e.end, 1.0e-5 * e.end);
        EXPECT_NEAR (param->convertFrom0to1 (0.5f), s * std::sqrt (ratio), 1.0e-5 * s * std::sqrt (ratio));

        for (const double p : { 0.1, 0.25, 0.37, 0.75, 0.9 })
        {
            const auto v = valueAt (p);
            EXPECT_NEAR (param->convertFrom0to1 ((float) p), v, 1.0e-5 * v) << "normalised " << p;
            EXPECT_NEAR (param->convertTo0to1 ((float) v), p, 1.0e-5) << "normalised " << p;

            // Nothing snaps: an arbitrary value in range stays as it is.
            const auto odd = (float) (v * 1.0123);
            EXPECT_FLOAT_EQ (range.snapToLegalValue (odd), odd);
            EXPECT_NEAR (range.convertFrom0to1 (range.convertTo0to1 (odd)), odd, 1.0e-5f * odd);
            EXPECT_NEAR (range.convertTo0to1 (odd), std::log (odd / s) / std::log (ratio), 1.0e-5);
        }
    }

    // The midpoints a user sees on the three kinds of log knob.
    const std::vector<std::pair<std::string, float>> midpoints {
        { "envAttack", 0.0894427f }, { "filterCutoff", 632.4555f }, { "lfo1Rate", 0.7071068f }
    };
    for (const auto& [id, value] : midpoints)
    {
        auto* param = find (id);
        ASSERT_NE (param, nullptr) << id;
        EXPECT_NEAR (param->convertFrom0to1 (0.5f), value, 1.0e-5f * value) << id;
    }
}

TEST_F (ParameterLayout, EveryParameterIsPlainVersionOneAndAutomatable)
{
    for (auto* param : hostList())
    {
        SCOPED_TRACE (idOf (param));
        EXPECT_EQ (param->getVersionHint(), 1);
        EXPECT_TRUE (param->getLabel().isEmpty());
        EXPECT_TRUE (param->isAutomatable());
        EXPECT_FALSE (param->isMetaParameter());
    }

    EXPECT_TRUE (processor->getParameterTree().getSubgroups (true).isEmpty());
    EXPECT_EQ (state().state.getType(), juce::Identifier ("HALVO_SYNTH_STATE"));
}
