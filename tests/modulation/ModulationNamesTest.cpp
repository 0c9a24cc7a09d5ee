#include "modulation/ModulationNames.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

using namespace halvo;

TEST (ModulationNames, SourceKeysAndPolarityInIdOrder)
{
    const std::vector<std::string> keys {
        "LFO1", "LFO2", "ENV1", "VEL", "BEND", "CAPAMP", "LFO3", "LFO4", "LFO5", "LFO6", "LFO7",
        "LFO8", "LFO9", "LFO10", "ENV2", "ENV3", "ENV4", "MAC1", "MAC2", "MAC3", "MAC4", "MAC5",
        "MAC6", "MAC7", "MAC8", "NOTE"
    };

    const auto& table = modSourceTable();
    ASSERT_EQ (keys.size(), table.size());

    for (size_t i = 0; i < table.size(); ++i)
    {
        SCOPED_TRACE (keys[i]);
        EXPECT_EQ (table[i].id, (int) i);
        EXPECT_EQ (std::string (table[i].key), keys[i]);

        // Only the LFOs and the pitch bend swing both ways.
        const bool isLfo = keys[i].rfind ("LFO", 0) == 0;
        EXPECT_EQ (table[i].bipolar, isLfo || keys[i] == "BEND");
    }
}

TEST (ModulationNames, DestinationKeysInIdOrder)
{
    const std::vector<std::string> keys {
        "OSCA_PITCH", "OSCB_PITCH", "F1_CUTOFF", "OSCA_LEVEL", "OSCB_LEVEL", "SUB_LEVEL", "PAN",
        "WT_POS", "OSCC_PITCH", "OSCC_LEVEL", "NOISE_LEVEL", "OSCA_WTPOS", "OSCB_WTPOS",
        "OSCC_WTPOS", "F2_CUTOFF", "F1_RES", "F1_DRIVE", "F2_RES", "F2_DRIVE",
        "LFO1_RATE", "LFO1_AMT", "LFO1_PHASE", "LFO2_RATE", "LFO2_AMT", "LFO2_PHASE",
        "LFO3_RATE", "LFO3_AMT", "LFO3_PHASE", "LFO4_RATE", "LFO4_AMT", "LFO4_PHASE",
        "LFO5_RATE", "LFO5_AMT", "LFO5_PHASE", "LFO6_RATE", "LFO6_AMT", "LFO6_PHASE",
        "LFO7_RATE", "LFO7_AMT", "LFO7_PHASE", "LFO8_RATE", "LFO8_AMT", "LFO8_PHASE",
        "LFO9_RATE", "LFO9_AMT", "LFO9_PHASE", "LFO10_RATE", "LFO10_AMT", "LFO10_PHASE"
    };

    const auto& table = modDestTable();
    ASSERT_EQ (keys.size(), table.size());

    for (size_t i = 0; i < table.size(); ++i)
    {
        EXPECT_EQ (table[i].id, (int) i) << keys[i];
        EXPECT_EQ (std::string (table[i].key), keys[i]);
    }
}

struct SourceSpot
{
    int id;
    const char* key;
    const char* label;
};

TEST (ModulationNames, SourceLabels)
{
    const SourceSpot spots[] {
        { 0, "LFO1", "LFO 1" },     { 2, "ENV1", "ENV 1" },   { 3, "VEL", "VELO" },
        { 4, "BEND", "BEND" },      { 5, "CAPAMP", "CAP AMP" }, { 13, "LFO10", "LFO 10" },
        { 16, "ENV4", "ENV 4" },    { 17, "MAC1", "MACRO 1" }, { 24, "MAC8", "MACRO 8" },
        { 25, "NOTE", "NOTE" },
    };

    for (const auto& spot : spots)
    {
        const auto& entry = modSourceTable()[(size_t) spot.id];
        EXPECT_STREQ (entry.key, spot.key);
        EXPECT_STREQ (entry.label, spot.label);
    }
}

struct DestSpot
{
    int id;
    const char* key;
    const char* label;
    const char* parameterId;
};

TEST (ModulationNames, FixedDestinationLabelsAndKnobs)
{
    const DestSpot spots[] {
        { 0, "OSCA_PITCH", "OSC A Pitch", "oscAFineTune" },
        { 2, "F1_CUTOFF", "Filter 1 Cutoff", "filterCutoff" },
        { 5, "SUB_LEVEL", "Sub Level", "subOscLevel" },
        { 6, "PAN", "Pan", "" },
        { 7, "WT_POS", "WT Position", "" },
        { 8, "OSCC_PITCH", "OSC C Pitch", "oscCFineTune" },
        { 10, "NOISE_LEVEL", "Noise Level", "noiseLevel" },
        { 12, "OSCB_WTPOS", "OSC B WT Pos", "oscBWtPos" },
        { 14, "F2_CUTOFF", "Filter 2 Cutoff", "filter2Cutoff" },
        { 15, "F1_RES", "Filter 1 Res", "filterResonance" },
        { 16, "F1_DRIVE", "Filter 1 Drive", "filter1Drive" },
        { 17, "F2_RES", "Filter 2 Res", "filter2Resonance" },
        { 18, "F2_DRIVE", "Filter 2 Drive", "filter2Drive" },
    };

    for (const auto& spot : spots)
    {
        const auto& entry = modDestTable()[(size_t) spot.id];
        EXPECT_STREQ (entry.key, spot.key);
        EXPECT_STREQ (entry.label, spot.label);
        EXPECT_STREQ (entry.parameterId, spot.parameterId);
    }
}

TEST (ModulationNames, LfoDestinationsFollowTheNumberingHelpers)
{
    for (int n = 1; n <= 10; ++n)
    {
        const juce::String number (n);
        SCOPED_TRACE (n);

        const auto* rate = findDestByName ("LFO" + number + "_RATE");
        const auto* amount = findDestByName ("LFO" + number + "_AMT");
        const auto* phase = findDestByName ("LFO" + number + "_PHASE");
        ASSERT_TRUE (rate != nullptr && amount != nullptr && phase != nullptr);

        EXPECT_EQ (rate->id, lfoRateDestination (n));
        EXPECT_EQ (amount->id, lfoAmountDestination (n));
        EXPECT_EQ (phase->id, lfoPhaseDestination (n));

        EXPECT_EQ (juce::String (rate->label), "LFO " + number + " Rate");
        EXPECT_EQ (juce::String (amount->label), "LFO " + number + " Amount");
        EXPECT_EQ (juce::String (phase->label), "LFO " + number + " Phase");

        EXPECT_EQ (juce::String (rate->parameterId), "lfo" + number + "Rate");
        EXPECT_STREQ (amount->parameterId, "");
        EXPECT_EQ (juce::String (phase->parameterId), "lfo" + number + "Phase");

        // The source slots the matrices use for LFOs and macros carry those keys.
        ASSERT_NE (findSourceByName ("LFO" + number), nullptr);
        EXPECT_EQ (findSourceByName ("LFO" + number)->id, lfoSourceSlot (n));
        if (n <= 8)
        {
            ASSERT_NE (findSourceByName ("MAC" + number), nullptr);
            EXPECT_EQ (findSourceByName ("MAC" + number)->id, macroSourceSlot (n));
        }
    }
}

TEST (ModulationNames, EveryKeyAndKnobFindsItsOwnEntry)
{
    for (const auto& entry : modSourceTable())
        EXPECT_EQ (findSourceByName (entry.key), &entry) << entry.key;

    for (const auto& entry : modDestTable())
    {
        EXPECT_EQ (findDestByName (entry.key), &entry) << entry.key;

        // Knob IDs are unique, so the first match in id order is the entry itself.
        if (*entry.parameterId != 0)
            EXPECT_EQ (findDestByApvtsId (entry.parameterId), &entry) << entry.parameterId;
    }
}

TEST (ModulationNames, ParameterLookups)
{
    ASSERT_NE (findDestByApvtsId ("lfo3Rate"), nullptr);
    EXPECT_EQ (findDestByApvtsId ("lfo3Rate")->id, lfoRateDestination (3));
    EXPECT_STREQ (findDestByApvtsId ("lfo3Rate")->key, "LFO3_RATE");

    ASSERT_NE (findDestByApvtsId ("filterCutoff"), nullptr);
    EXPECT_EQ (findDestByApvtsId ("filterCutoff")->id, (int) ModulationDestination::F1_CUTOFF);

    // Destinations without a knob must not be reachable through the empty ID they share.
    EXPECT_EQ (findDestByApvtsId (""), nullptr);

    int reachable = 0;
    for (const auto& entry : modDestTable())
    {
        const bool hasKnob = *entry.parameterId != 0;
        reachable += hasKnob ? 1 : 0;

        const bool isLfoAmount = juce::String (entry.key).endsWith ("_AMT");
        const bool isWithoutKnob = isLfoAmount || entry.id == (int) ModulationDestination::PAN
                                   || entry.id == (int) ModulationDestination::WT_POS;
        EXPECT_NE (hasKnob, isWithoutKnob) << entry.key;
    }
    EXPECT_EQ (reachable, numModulationDestinations - 12);
}

TEST (ModulationNames, LookupsAreExactAndCaseSensitive)
{
    // Labels, other spellings and neighbouring names are not keys.
    const char* sourceMisses[] { "VELO", "vel", "Lfo1", "LFO 1", "LFO1 ", "LFO11", "MAC9", "MACRO 1", "" };
    for (const auto* name : sourceMisses)
        EXPECT_EQ (findSourceByName (name), nullptr) << '"' << name << '"';

    const char* destMisses[] { "f1_cutoff", "Filter 1 Cutoff", "LFO1_AMOUNT", "LFO11_RATE", "filterCutoff", "" };
    for (const auto* name : destMisses)
        EXPECT_EQ (findDestByName (name), nullptr) << '"' << name << '"';

    const char* knobMisses[] { "FilterCutoff", "filtercutoff", "F1_CUTOFF", "PAN", "lfo1Amount",
                               "lfo1Amt", "lfo11Rate", "masterGain", " filterCutoff" };
    for (const auto* name : knobMisses)
        EXPECT_EQ (findDestByApvtsId (name), nullptr) << '"' << name << '"';
}

} // namespace
