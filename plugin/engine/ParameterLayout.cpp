#include "engine/ParameterLayout.h"

namespace halvo
{

namespace choices
{
    const juce::StringArray& distortionModes()
    {
        static const juce::StringArray items { "Soft Clip", "Hard Clip", "Fold", "Bit Crush" };
        return items;
    }

    const juce::StringArray& arpModes()
    {
        static const juce::StringArray items { "Up", "Down", "Up/Down", "Random", "Order" };
        return items;
    }

    const juce::StringArray& arpRates()
    {
        static const juce::StringArray items { "1/4", "1/8", "1/8T", "1/16", "1/16T", "1/32" };
        return items;
    }

    const juce::StringArray& oscillatorShapes()
    {
        static const juce::StringArray items { "Sine", "Saw", "Square" };
        return items;
    }

    const juce::StringArray& wavetables()
    {
        static const juce::StringArray items {
            "Basic Saw",   "Basic Square", "Basic Sine",    "Basic Triangle", "Harmonic Sweep",
            "Odd / Even",  "Formant Vowel", "Folded Sine",  "Reese Engine",   "Growl Bass",
            "Dirty Dubstep", "Sub Round",  "FM Metal",      "Vowel Talker",   "Fold Screamer",
            "Sync Saw",    "Metal Clang",  "Reese Wide",    "Bit Dirt",       "Sub Punch"
        };
        return items;
    }

    const juce::StringArray& warpModes()
    {
        static const juce::StringArray items { "Off", "Bend", "PWM", "Sync", "Mirror", "Fold" };
        return items;
    }

    const juce::StringArray& subShapes()
    {
        static const juce::StringArray items { "Sine", "Square" };
        return items;
    }

    const juce::StringArray& captureModes()
    {
        static const juce::StringArray items { "Cycle", "Granular" };
        return items;
    }

    const juce::StringArray& filterModes()
    {
        static const juce::StringArray items { "Low", "High", "Band", "Notch" };
        return items;
    }

    const juce::StringArray& filterSlopes()
    {
        static const juce::StringArray items { "12 dB", "24 dB" };
        return items;
    }

    const juce::StringArray& filterRoutings()
    {
        static const juce::StringArray items { "Series", "Parallel" };
        return items;
    }

    const juce::StringArray& lfoShapesBasic()
    {
        static const juce::StringArray items { "Sine", "Triangle", "Saw", "Square" };
        return items;
    }

    const juce::StringArray& lfoShapesExtended()
    {
        static const juce::StringArray items { "Sine", "Triangle", "Saw", "Square", "Ramp Dn", "S&H" };
        return items;
    }

    const juce::StringArray& lfoSyncDivisions()
    {
        static const juce::StringArray items { "Hz",  "8/1",  "4/1", "2/1",  "1/1", "1/2",   "1/2T",
                                               "1/4", "1/4T", "1/8", "1/8T", "1/16", "1/16T", "1/32" };
        return items;
    }
} // namespace choices

juce::NormalisableRange<float> makeLogRange (float start, float end)
{
    // Computed in double so that the round trip value -> position -> value stays exact to float
    // precision over the three decades these ranges span.
    const double s = start;
    const double ratio = static_cast<double> (end) / s;
    const double logRatio = std::log (ratio);

    return { start, end,
             [s, ratio] (float, float, float p) { return static_cast<float> (s * std::pow (ratio, static_cast<double> (p))); },
             [s, logRatio] (float, float, float v) { return static_cast<float> (std::log (static_cast<double> (v) / s) / logRatio); } };
}

juce::NormalisableRange<float> timeRange()      { return makeLogRange (0.001f, 8.0f); }
juce::NormalisableRange<float> frequencyRange() { return makeLogRange (20.0f, 20000.0f); }
juce::NormalisableRange<float> lfoRateRange()   { return makeLogRange (0.01f, 50.0f); }

juce::String lfoParameterId (int lfoNumber, const char* suffix) { return "lfo" + juce::String (lfoNumber) + suffix; }
juce::String macroParameterId (int macroNumber)                 { return "macro" + juce::String (macroNumber); }
juce::String envParameterId (int envNumber, const char* suffix) { return "env" + juce::String (envNumber) + suffix; }

namespace
{
    /** Appends parameters to a layout with the conventions every parameter shares:
        version hint 1, no unit label, the framework's own value texts. */
    class LayoutWriter
    {
    public:
        explicit LayoutWriter (juce::AudioProcessorValueTreeState::ParameterLayout& target) : layout (target) {}

        void linear (const juce::String& id, const juce::String& name, float start, float end, float step, float defaultValue)
        {
            add<juce::AudioParameterFloat> (id, name, juce::NormalisableRange<float> (start, end, step), defaultValue);
        }

        void skewed (const juce::String& id, const juce::String& name, float start, float end, float step, float skew, float defaultValue)
        {
            add<juce::AudioParameterFloat> (id, name, juce::NormalisableRange<float> (start, end, step, skew), defaultValue);
        }

        void logarithmic (const juce::String& id, const juce::String& name, juce::NormalisableRange<float> range, float defaultValue)
        {
            add<juce::AudioParameterFloat> (id, name, std::move (range), defaultValue);
        }

        void choice (const juce::String& id, const juce::String& name, const juce::StringArray& items, int defaultIndex)
        {
            add<juce::AudioParameterChoice> (id, name, items, defaultIndex);
        }

        void toggle (const juce::String& id, const juce::String& name, bool defaultValue)
        {
            add<juce::AudioParameterBool> (id, name, defaultValue);
        }

        void integer (const juce::String& id, const juce::String& name, int minValue, int maxValue, int defaultValue)
        {
            add<juce::AudioParameterInt> (id, name, minValue, maxValue, defaultValue);
        }

    private:
        template <typename ParameterType, typename... Args>
        void add (const juce::String& id, const juce::String& name, Args&&... args)
        {
            layout.add (std::make_unique<ParameterType> (juce::ParameterID { id, 1 }, name, std::forward<Args> (args)...));
        }

        juce::AudioProcessorValueTreeState::ParameterLayout& layout;
    };

    void addMasterAndFixedEffects (LayoutWriter& w)
    {
        w.linear ("masterGain", "Master Gain", -60.0f, 12.0f, 0.01f, 0.0f);
        w.linear ("fxDriveAmt", "Drive Amount", 1.0f, 24.0f, 0.01f, 2.0f);
        w.linear ("fxDriveMix", "Drive Mix", 0.0f, 1.0f, 0.001f, 0.0f);
        w.linear ("fxDelayTime", "Delay Time", 1.0f, 1000.0f, 1.0f, 350.0f);
        w.linear ("fxDelayFeedback", "Delay Feedback", 0.0f, 0.95f, 0.001f, 0.35f);
        w.linear ("fxDelayMix", "Delay Mix", 0.0f, 1.0f, 0.001f, 0.0f);
    }

    void addEffectsRack (LayoutWriter& w)
    {
        w.toggle ("rackEqOn", "Rack EQ On", false);
        w.linear ("rackEqLow", "Rack EQ Low", -18.0f, 18.0f, 0.1f, 0.0f);
        w.linear ("rackEqBellFreq", "Rack EQ Bell Freq", 100.0f, 12000.0f, 1.0f, 1000.0f);
        w.linear ("rackEqBell", "Rack EQ Bell", -18.0f, 18.0f, 0.1f, 0.0f);
        w.linear ("rackEqHigh", "Rack EQ High", -18.0f, 18.0f, 0.1f, 0.0f);

        w.toggle ("rackCompOn", "Rack Comp On", false);
        w.linear ("rackCompThresh", "Rack Comp Threshold", -60.0f, 0.0f, 0.1f, -18.0f);
        w.linear ("rackCompRatio", "Rack Comp Ratio", 1.0f, 20.0f, 0.1f, 4.0f);
        w.linear ("rackCompAttack", "Rack Comp Attack", 0.1f, 200.0f, 0.1f, 10.0f);
        w.linear ("rackCompRelease", "Rack Comp Release", 5.0f, 1000.0f, 1.0f, 120.0f);
        w.linear ("rackCompMakeup", "Rack Comp Makeup", -12.0f, 24.0f, 0.1f, 0.0f);

        w.toggle ("rackDistOn", "Rack Dist On", false);
        w.choice ("rackDistMode", "Rack Dist Mode", choices::distortionModes(), 0);
        w.linear ("rackDistDrive", "Rack Dist Drive", 1.0f, 50.0f, 0.01f, 4.0f);
        w.linear ("rackDistMix", "Rack Dist Mix", 0.0f, 1.0f, 0.001f, 0.5f);

        w.toggle ("rackSatOn", "Rack Sat On", false);
        w.linear ("rackSatDrive", "Rack Sat Drive", 1.0f, 24.0f, 0.01f, 2.0f);
        w.linear ("rackSatMix", "Rack Sat Mix", 0.0f, 1.0f, 0.001f, 0.5f);

        w.toggle ("rackChorOn", "Rack Chorus On", false);
        w.linear ("rackChorRate", "Rack Chorus Rate", 0.01f, 10.0f, 0.01f, 0.6f);
        w.linear ("rackChorDepth", "Rack Chorus Depth", 0.0f, 15.0f, 0.01f, 3.0f);
        w.linear ("rackChorFb", "Rack Chorus Feedback", -0.95f, 0.95f, 0.001f, 0.2f);
        w.linear ("rackChorMix", "Rack Chorus Mix", 0.0f, 1.0f, 0.001f, 0.5f);

        w.toggle ("rackDelayOn", "Rack Delay On", false);
        w.linear ("rackDelayTime", "Rack Delay Time", 1.0f, 2000.0f, 1.0f, 350.0f);
        w.linear ("rackDelayFb", "Rack Delay Feedback", 0.0f, 0.95f, 0.001f, 0.35f);
        w.linear ("rackDelayMix", "Rack Delay Mix", 0.0f, 1.0f, 0.001f, 0.3f);

        w.toggle ("rackRevOn", "Rack Reverb On", false);
        w.linear ("rackRevSize", "Rack Reverb Size", 0.0f, 1.0f, 0.001f, 0.6f);
        w.linear ("rackRevDamp", "Rack Reverb Damp", 0.0f, 1.0f, 0.001f, 0.5f);
        w.linear ("rackRevWidth", "Rack Reverb Width", 0.0f, 1.0f, 0.001f, 1.0f);
        w.linear ("rackRevMix", "Rack Reverb Mix", 0.0f, 1.0f, 0.001f, 0.3f);
    }

    void addArpeggiatorAndVoicing (LayoutWriter& w)
    {
        w.toggle ("arpOn", "Arp On", false);
        w.choice ("arpMode", "Arp Mode", choices::arpModes(), 0);
        w.choice ("arpRate", "Arp Rate", choices::arpRates(), 3);
        w.integer ("arpOctaves", "Arp Octaves", 1, 4, 1);
        w.linear ("arpGate", "Arp Gate", 0.05f, 1.0f, 0.001f, 0.5f);
        w.toggle ("arpHold", "Arp Hold", false);
        w.toggle ("voiceMono", "Mono", false);
        w.integer ("unisonCount", "Unison Voices", 1, 16, 1);
        w.linear ("unisonDetune", "Unison Detune", 0.0f, 100.0f, 0.1f, 20.0f);
        w.linear ("unisonWidth", "Unison Width", 0.0f, 1.0f, 0.001f, 0.5f);
        w.toggle ("voiceLegato", "Legato", false);
        // Glide times cluster near zero, so the knob spends more of its travel there.
        w.skewed ("voicePortamento", "Portamento", 0.0f, 2.0f, 0.001f, 0.4f, 0.0f);
        w.integer ("globalTranspose", "Transpose", -48, 48, 0);
    }

    void addOscillator (LayoutWriter& w, const juce::String& letter, float level, int wavetable, bool withFm)
    {
        const auto id = [&letter] (const char* suffix) { return "osc" + letter + suffix; };
        const auto name = [&letter] (const char* suffix) { return "Osc " + letter + " " + suffix; };

        w.choice (id ("Shape"), name ("Shape"), choices::oscillatorShapes(), 1);
        w.linear (id ("Level"), name ("Level"), 0.0f, 1.0f, 0.001f, level);
        w.integer (id ("Octave"), name ("Octave"), -3, 3, 0);
        w.integer (id ("Tune"), name ("Tune"), -24, 24, 0);
        w.linear (id ("FineTune"), name ("Fine Tune"), -100.0f, 100.0f, 0.01f, 0.0f);
        w.choice (id ("Wavetable"), name ("Wavetable"), choices::wavetables(), wavetable);
        w.linear (id ("WtPos"), name ("WT Position"), 0.0f, 1.0f, 0.0001f, 0.0f);
        w.choice (id ("WarpMode"), name ("Warp Mode"), choices::warpModes(), 0);
        w.linear (id ("WarpAmt"), name ("Warp Amount"), 0.0f, 1.0f, 0.001f, 0.0f);

        if (withFm)
            w.linear (id ("FmAmt"), name ("FM (from B)"), 0.0f, 1.0f, 0.001f, 0.0f);
    }

    void addSubNoiseAndCapture (LayoutWriter& w)
    {
        w.choice ("subOscShape", "Sub Osc Shape", choices::subShapes(), 0);
        w.linear ("subOscLevel", "Sub Osc Level", 0.0f, 1.0f, 0.001f, 0.0f);
        w.linear ("noiseLevel", "Noise Level", 0.0f, 1.0f, 0.001f, 0.0f);
        w.toggle ("captureEnabled", "Capture Enabled", false);
        w.linear ("captureLevel", "Capture Level", 0.0f, 1.0f, 0.001f, 0.5f);
        w.choice ("captureMode", "Capture Mode", choices::captureModes(), 0);
        w.linear ("captureInputGain", "Capture Input Gain", 0.0f, 2.0f, 0.001f, 1.0f);
        w.linear ("captureNoiseGate", "Capture Noise Gate", -80.0f, -20.0f, 0.1f, -60.0f);
        w.linear ("captureDuration", "Capture Duration", 0.5f, 4.0f, 0.01f, 2.0f);
    }

    void addAmpEnvelopeAndFilters (LayoutWriter& w)
    {
        w.logarithmic ("envAttack", "Attack", timeRange(), 0.005f);
        w.logarithmic ("envDecay", "Decay", timeRange(), 0.15f);
        w.linear ("envSustain", "Sustain", 0.0f, 1.0f, 0.001f, 0.8f);
        w.logarithmic ("envRelease", "Release", timeRange(), 0.3f);

        w.logarithmic ("filterCutoff", "Filter Cutoff", frequencyRange(), 12000.0f);
        w.linear ("filterResonance", "Filter Resonance", 0.0f, 1.0f, 0.001f, 0.2f);
        w.choice ("filterMode", "Filter 1 Mode", choices::filterModes(), 0);
        w.choice ("filter1Slope", "Filter 1 Slope", choices::filterSlopes(), 0);
        w.linear ("filter1Drive", "Filter 1 Drive", 0.0f, 1.0f, 0.001f, 0.0f);
        w.linear ("filter1Mix", "Filter 1 Mix", 0.0f, 1.0f, 0.001f, 1.0f);
        w.linear ("filter1Keytrack", "Filter 1 Key Track", 0.0f, 1.0f, 0.001f, 0.0f);

        w.toggle ("filter2Enabled", "Filter 2 Enabled", false);
        w.choice ("filter2Mode", "Filter 2 Mode", choices::filterModes(), 1);
        w.choice ("filter2Slope", "Filter 2 Slope", choices::filterSlopes(), 0);
        w.logarithmic ("filter2Cutoff", "Filter 2 Cutoff", frequencyRange(), 500.0f);
        w.linear ("filter2Resonance", "Filter 2 Resonance", 0.0f, 1.0f, 0.001f, 0.2f);
        w.linear ("filter2Drive", "Filter 2 Drive", 0.0f, 1.0f, 0.001f, 0.0f);
        w.linear ("filter2Mix", "Filter 2 Mix", 0.0f, 1.0f, 0.001f, 1.0f);
        w.linear ("filter2Keytrack", "Filter 2 Key Track", 0.0f, 1.0f, 0.001f, 0.0f);
        w.choice ("filterRouting", "Filter Routing", choices::filterRoutings(), 0);
    }

    void addFirstLfosAndFixedDepths (LayoutWriter& w)
    {
        w.logarithmic ("lfo1Rate", "LFO 1 Rate", lfoRateRange(), 1.0f);
        w.choice ("lfo1Shape", "LFO 1 Shape", choices::lfoShapesBasic(), 0);
        w.logarithmic ("lfo2Rate", "LFO 2 Rate", lfoRateRange(), 1.0f);
        w.choice ("lfo2Shape", "LFO 2 Shape", choices::lfoShapesBasic(), 0);
        w.choice ("lfo1Sync", "LFO 1 Sync", choices::lfoSyncDivisions(), 0);
        w.choice ("lfo2Sync", "LFO 2 Sync", choices::lfoSyncDivisions(), 0);

        const std::pair<const char*, const char*> depths[] = {
            { "modDepthLfo1Cutoff",     "Mod Depth LFO1 -> Cutoff" },
            { "modDepthLfo1OscAPitch",  "Mod Depth LFO1 -> Osc A Pitch" },
            { "modDepthLfo2OscBPitch",  "Mod Depth LFO2 -> Osc B Pitch" },
            { "modDepthVelocityCutoff", "Mod Depth Velocity -> Cutoff" },
            { "modDepthLfo1OscAWtPos",  "Mod Depth LFO1 -> Osc A WT Pos" },
            { "modDepthLfo2OscBWtPos",  "Mod Depth LFO2 -> Osc B WT Pos" },
            { "modDepthEnv2OscAWtPos",  "Mod Depth ENV2 -> Osc A WT Pos" },
            { "modDepthEnv2Cutoff",     "Mod Depth ENV2 -> Cutoff" },
            { "modDepthLfo2Cutoff",     "Mod Depth LFO2 -> Cutoff" },
        };

        for (const auto& [id, name] : depths)
            w.linear (id, name, -1.0f, 1.0f, 0.001f, 0.0f);
    }

    void addLfos3To10 (LayoutWriter& w)
    {
        for (int n = 3; n <= numLfos; ++n)
        {
            const auto name = [n] (const char* suffix) { return "LFO " + juce::String (n) + suffix; };
            w.logarithmic (lfoParameterId (n, "Rate"), name (" Rate"), lfoRateRange(), 1.0f);
            w.choice (lfoParameterId (n, "Shape"), name (" Shape"), choices::lfoShapesExtended(), 0);
            w.linear (lfoParameterId (n, "Phase"), name (" Phase"), 0.0f, 1.0f, 0.001f, 0.0f);
            w.choice (lfoParameterId (n, "Sync"), name (" Sync"), choices::lfoSyncDivisions(), 0);
        }
    }

    void addMacros (LayoutWriter& w)
    {
        for (int n = 1; n <= numMacros; ++n)
            w.linear (macroParameterId (n), "Macro " + juce::String (n), 0.0f, 1.0f, 0.001f, 0.0f);
    }

    void addModulationEnvelopes (LayoutWriter& w)
    {
        for (int n = 2; n <= 4; ++n)
        {
            const auto name = [n] (const char* suffix) { return "ENV " + juce::String (n) + suffix; };
            w.logarithmic (envParameterId (n, "Attack"), name (" Attack"), timeRange(), 0.005f);
            w.logarithmic (envParameterId (n, "Decay"), name (" Decay"), timeRange(), 0.2f);
            w.linear (envParameterId (n, "Sustain"), name (" Sustain"), 0.0f, 1.0f, 0.001f, 0.5f);
            w.logarithmic (envParameterId (n, "Release"), name (" Release"), timeRange(), 0.3f);
        }
    }
} // namespace

juce::AudioProcessorValueTreeState::ParameterLayout buildParameterLayout()
{
    juce::AudioProcessorValueTreeState::ParameterLayout layout;
    LayoutWriter w (layout);

    // The order is part of the interface: hosts and saved automation list parameters this way.
    addMasterAndFixedEffects (w);
    addEffectsRack (w);
    addArpeggiatorAndVoicing (w);
    addOscillator (w, "A", 1.0f, 0, true);
    addOscillator (w, "B", 0.5f, 1, false);
    addOscillator (w, "C", 0.0f, 8, false);
    addSubNoiseAndCapture (w);
    addAmpEnvelopeAndFilters (w);
    addFirstLfosAndFixedDepths (w);
    addLfos3To10 (w);
    w.linear ("lfo1Phase", "LFO 1 Phase", 0.0f, 1.0f, 0.001f, 0.0f);
    w.linear ("lfo2Phase", "LFO 2 Phase", 0.0f, 1.0f, 0.001f, 0.0f);
    addMacros (w);
    addModulationEnvelopes (w);

    return layout;
}

} // namespace halvo
