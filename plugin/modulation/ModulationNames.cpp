#include "modulation/ModulationNames.h"

namespace halvo
{

namespace
{

constexpr std::array<ModSourceInfo, numModulationSources> sourceTable {{
    { 0, "LFO1", "LFO 1", true },
    { 1, "LFO2", "LFO 2", true },
    { 2, "ENV1", "ENV 1", false },
    { 3, "VEL", "VELO", false },
    { 4, "BEND", "BEND", true },
    { 5, "CAPAMP", "CAP AMP", false },
    { 6, "LFO3", "LFO 3", true },
    { 7, "LFO4", "LFO 4", true },
    { 8, "LFO5", "LFO 5", true },
    { 9, "LFO6", "LFO 6", true },
    { 10, "LFO7", "LFO 7", true },
    { 11, "LFO8", "LFO 8", true },
    { 12, "LFO9", "LFO 9", true },
    { 13, "LFO10", "LFO 10", true },
    { 14, "ENV2", "ENV 2", false },
    { 15, "ENV3", "ENV 3", false },
    { 16, "ENV4", "ENV 4", false },
    { 17, "MAC1", "MACRO 1", false },
    { 18, "MAC2", "MACRO 2", false },
    { 19, "MAC3", "MACRO 3", false },
    { 20, "MAC4", "MACRO 4", false },
    { 21, "MAC5", "MACRO 5", false },
    { 22, "MAC6", "MACRO 6", false },
    { 23, "MAC7", "MACRO 7", false },
    { 24, "MAC8", "MACRO 8", false },
    { 25, "NOTE", "NOTE", false },
}};

// PAN, WT_POS and the LFO amounts have no knob, hence no parameter ID: they can be routed to
// from the state but never by dropping a source onto the panel.
constexpr std::array<ModDestInfo, numModulationDestinations> destTable {{
    { 0, "OSCA_PITCH", "OSC A Pitch", "oscAFineTune" },
    { 1, "OSCB_PITCH", "OSC B Pitch", "oscBFineTune" },
    { 2, "F1_CUTOFF", "Filter 1 Cutoff", "filterCutoff" },
    { 3, "OSCA_LEVEL", "OSC A Level", "oscALevel" },
    { 4, "OSCB_LEVEL", "OSC B Level", "oscBLevel" },
    { 5, "SUB_LEVEL", "Sub Level", "subOscLevel" },
    { 6, "PAN", "Pan", "" },
    { 7, "WT_POS", "WT Position", "" },
    { 8, "OSCC_PITCH", "OSC C Pitch", "oscCFineTune" },
    { 9, "OSCC_LEVEL", "OSC C Level", "oscCLevel" },
    { 10, "NOISE_LEVEL", "Noise Level", "noiseLevel" },
    { 11, "OSCA_WTPOS", "OSC A WT Pos", "oscAWtPos" },
    { 12, "OSCB_WTPOS", "OSC B WT Pos", "oscBWtPos" },
    { 13, "OSCC_WTPOS", "OSC C WT Pos", "oscCWtPos" },
    { 14, "F2_CUTOFF", "Filter 2 Cutoff", "filter2Cutoff" },
    { 15, "F1_RES", "Filter 1 Res", "filterResonance" },
    { 16, "F1_DRIVE", "Filter 1 Drive", "filter1Drive" },
    { 17, "F2_RES", "Filter 2 Res", "filter2Resonance" },
    { 18, "F2_DRIVE", "Filter 2 Drive", "filter2Drive" },
    { 19, "LFO1_RATE", "LFO 1 Rate", "lfo1Rate" },
    { 20, "LFO1_AMT", "LFO 1 Amount", "" },
    { 21, "LFO1_PHASE", "LFO 1 Phase", "lfo1Phase" },
    { 22, "LFO2_RATE", "LFO 2 Rate", "lfo2Rate" },
    { 23, "LFO2_AMT", "LFO 2 Amount", "" },
    { 24, "LFO2_PHASE", "LFO 2 Phase", "lfo2Phase" },
    { 25, "LFO3_RATE", "LFO 3 Rate", "lfo3Rate" },
    { 26, "LFO3_AMT", "LFO 3 Amount", "" },
    { 27, "LFO3_PHASE", "LFO 3 Phase", "lfo3Phase" },
    { 28, "LFO4_RATE", "LFO 4 Rate", "lfo4Rate" },
    { 29, "LFO4_AMT", "LFO 4 Amount", "" },
    { 30, "LFO4_PHASE", "LFO 4 Phase", "lfo4Phase" },
    { 31, "LFO5_RATE", "LFO 5 Rate", "lfo5Rate" },
    { 32, "LFO5_AMT", "LFO 5 Amount", "" },
    { 33, "LFO5_PHASE", "LFO 5 Phase", "lfo5Phase" },
    { 34, "LFO6_RATE", "LFO 6 Rate", "lfo6Rate" },
    { 35, "LFO6_AMT", "LFO 6 Amount", "" },
    { 36, "LFO6_PHASE", "LFO 6 Phase", "lfo6Phase" },
    { 37, "LFO7_RATE", "LFO 7 Rate", "lfo7Rate" },
    { 38, "LFO7_AMT", "LFO 7 Amount", "" },
    { 39, "LFO7_PHASE", "LFO 7 Phase", "lfo7Phase" },
    { 40, "LFO8_RATE", "LFO 8 Rate", "lfo8Rate" },
    { 41, "LFO8_AMT", "LFO 8 Amount", "" },
    { 42, "LFO8_PHASE", "LFO 8 Phase", "lfo8Phase" },
    { 43, "LFO9_RATE", "LFO 9 Rate", "lfo9Rate" },
    { 44, "LFO9_AMT", "LFO 9 Amount", "" },
    { 45, "LFO9_PHASE", "LFO 9 Phase", "lfo9Phase" },
    { 46, "LFO10_RATE", "LFO 10 Rate", "lfo10Rate" },
    { 47, "LFO10_AMT", "LFO 10 Amount", "" },
    { 48, "LFO10_PHASE", "LFO 10 Phase", "lfo10Phase" },}};

// The tables are indexed by id everywhere (the matrices, the menus), so a misplaced row would
// silently route to the wrong target.
constexpr bool idsMatchPositions()
{
    for (size_t i = 0; i < sourceTable.size(); ++i)
        if (sourceTable[i].id != (int) i)
            return false;

    for (size_t i = 0; i < destTable.size(); ++i)
        if (destTable[i].id != (int) i)
            return false;

    return true;
}

static_assert (idsMatchPositions());

} // namespace

const std::array<ModSourceInfo, numModulationSources>& modSourceTable() noexcept
{
    return sourceTable;
}

const std::array<ModDestInfo, numModulationDestinations>& modDestTable() noexcept
{
    return destTable;
}

const ModSourceInfo* findSourceByName (const juce::String& key) noexcept
{
    for (const auto& entry : sourceTable)
        if (key == entry.key)
            return &entry;

    return nullptr;
}

const ModDestInfo* findDestByName (const juce::String& key) noexcept
{
    for (const auto& entry : destTable)
        if (key == entry.key)
            return &entry;

    return nullptr;
}

const ModDestInfo* findDestByApvtsId (const juce::String& parameterId) noexcept
{
    if (parameterId.isEmpty())
        return nullptr;

    for (const auto& entry : destTable)
        if (*entry.parameterId != 0 && parameterId == entry.parameterId)
            return &entry;

    return nullptr;
}

} // namespace halvo
