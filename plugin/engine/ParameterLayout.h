#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

namespace halvo
{

/** The choice lists of the choice parameters, item 0 first. Every consumer that shows or
    interprets a choice (the editor's menus, the refresh of the voice state) uses these, so a
    list exists exactly once. */
namespace choices
{
    const juce::StringArray& distortionModes();
    const juce::StringArray& arpModes();
    const juce::StringArray& arpRates();
    const juce::StringArray& oscillatorShapes();
    const juce::StringArray& wavetables();
    const juce::StringArray& warpModes();
    const juce::StringArray& subShapes();
    const juce::StringArray& captureModes();
    const juce::StringArray& filterModes();
    const juce::StringArray& filterSlopes();
    const juce::StringArray& filterRoutings();
    const juce::StringArray& lfoShapesBasic();    // LFO 1 and 2
    const juce::StringArray& lfoShapesExtended(); // LFO 3 to 10
    const juce::StringArray& lfoSyncDivisions();
} // namespace choices

/** The logarithmic ranges: a normalised position p maps to start * (end / start)^p. */
juce::NormalisableRange<float> makeLogRange (float start, float end);
juce::NormalisableRange<float> timeRange();      // 0.001 .. 8 s
juce::NormalisableRange<float> frequencyRange(); // 20 .. 20000 Hz
juce::NormalisableRange<float> lfoRateRange();   // 0.01 .. 50 Hz

/** Builds the complete parameter set in the order hosts list it. */
juce::AudioProcessorValueTreeState::ParameterLayout buildParameterLayout();

/** Number of parameters in the layout. */
inline constexpr int numParameters = 177;

/** Number of LFOs, macros and modulation envelopes that have parameters. */
inline constexpr int numLfos = 10;
inline constexpr int numMacros = 8;

/** Composed IDs of the numbered parameter families ("lfo10Rate", "macro3", "env2Attack"). */
juce::String lfoParameterId (int lfoNumber, const char* suffix);
juce::String macroParameterId (int macroNumber);
juce::String envParameterId (int envNumber, const char* suffix);

} // namespace halvo
