#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

namespace halvo
{

/** The "Low", "High", "Band" and "Notch" choices of the filter mode parameters. */
enum class FilterMode
{
    Low = 0,
    High = 1,
    Band = 2,
    Notch = 3
};

/** One trapezoidal state-variable stage with 20 ms ramps on cutoff and resonance.
    Coefficients are recomputed only in samples where the ramped values changed. */
class StateVariableFilter
{
public:
    /** Stores the rate, gives both ramps 20 ms with current = target, clears the integrators
        and forces a coefficient update. */
    void prepare (double sampleRate) noexcept;

    void setMode (FilterMode newMode) noexcept { mode = newMode; }
    FilterMode getMode() const noexcept { return mode; }
    double getSampleRate() const noexcept { return sampleRate; }

    /** Sets the ramp targets (a target equal to the current one changes nothing). */
    void setCutoffTarget (float hz) noexcept;
    void setResonanceTarget (float resonance) noexcept;
    float getCutoffTarget() const noexcept { return cutoffRamp.getTargetValue(); }
    float getResonanceTarget() const noexcept { return resonanceRamp.getTargetValue(); }
    float getCurrentCutoff() const noexcept { return cutoffRamp.getCurrentValue(); }
    float getCurrentResonance() const noexcept { return resonanceRamp.getCurrentValue(); }

    /** For a new note: both ramps jump to their targets, the coefficients are recomputed at
        the next sample and the integrators are cleared. */
    void startFromTargets() noexcept;

    float processSample (float x) noexcept;

    /** The exact magnitude (linear) of one stage at a frequency, as the stage would filter it.
        Gives 0 for a frequency that is not finite or not positive, or a rate of 0 or below. */
    static float magnitudeResponse (FilterMode mode, float cutoffHz, float resonance, float frequencyHz, double sampleRate) noexcept;

    /** The cutoff a stage actually uses: 20 Hz at least, 0.45 of the rate at most. */
    static float limitCutoff (float cutoffHz, double sampleRate) noexcept;

    /** Resonance stops short of 1 so that the damping k = 2 - 2r never falls below 0.02. */
    static constexpr float maximumResonance = 0.99f;

private:
    void updateCoefficients (float cutoffHz, float resonance) noexcept;

    double sampleRate = 44100.0;
    FilterMode mode = FilterMode::Low;
    float ic1 = 0.0f, ic2 = 0.0f;
    float g = 0.0f, k = 2.0f, a1 = 1.0f, a2 = 0.0f, a3 = 0.0f;
    juce::SmoothedValue<float, juce::ValueSmoothingTypes::Linear> cutoffRamp { 1000.0f };
    juce::SmoothedValue<float, juce::ValueSmoothingTypes::Linear> resonanceRamp { 0.0f };
    float lastCutoff = -1.0f, lastResonance = -1.0f;
};

} // namespace halvo
