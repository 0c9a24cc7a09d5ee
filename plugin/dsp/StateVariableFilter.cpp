#include "dsp/StateVariableFilter.h"

#include <algorithm>
#include <cmath>
#include <complex>

namespace halvo
{

namespace
{
    // Cutoff and resonance changes glide over this time so that modulation does not click.
    constexpr double rampSeconds = 0.02;

    constexpr float minimumCutoffHz = 20.0f;
    constexpr double maximumCutoffFraction = 0.45;  // of the sample rate, safely below Nyquist

    template <typename Ramp>
    void setRampTarget (Ramp& ramp, float target) noexcept
    {
        // A target that only differs by rounding must not restart a glide that is already there.
        if (juce::approximatelyEqual (target, ramp.getTargetValue()))
            return;

        ramp.setTargetValue (target);
    }
} // namespace

float StateVariableFilter::limitCutoff (float cutoffHz, double sampleRate) noexcept
{
    if (cutoffHz < minimumCutoffHz)
        return minimumCutoffHz;

    return std::min ((float) (maximumCutoffFraction * sampleRate), cutoffHz);
}

void StateVariableFilter::prepare (double newSampleRate) noexcept
{
    sampleRate = newSampleRate;

    if (sampleRate > 0.0)
    {
        cutoffRamp.reset (sampleRate, rampSeconds);
        resonanceRamp.reset (sampleRate, rampSeconds);
    }

    startFromTargets();
}

void StateVariableFilter::setCutoffTarget (float hz) noexcept
{
    setRampTarget (cutoffRamp, hz);
}

void StateVariableFilter::setResonanceTarget (float resonance) noexcept
{
    setRampTarget (resonanceRamp, resonance);
}

void StateVariableFilter::startFromTargets() noexcept
{
    cutoffRamp.setCurrentAndTargetValue (cutoffRamp.getTargetValue());
    resonanceRamp.setCurrentAndTargetValue (resonanceRamp.getTargetValue());

    ic1 = 0.0f;
    ic2 = 0.0f;
    lastCutoff = -1.0f;
    lastResonance = -1.0f;
}

void StateVariableFilter::updateCoefficients (float cutoffHz, float resonance) noexcept
{
    g = (float) std::tan (juce::MathConstants<double>::pi * (double) cutoffHz / sampleRate);
    k = 2.0f - 2.0f * resonance;
    a1 = 1.0f / (1.0f + g * (g + k));
    a2 = g * a1;
    a3 = g * a2;

    lastCutoff = cutoffHz;
    lastResonance = resonance;
}

float StateVariableFilter::processSample (float x) noexcept
{
    const float cutoff = cutoffRamp.getNextValue();
    const float resonance = resonanceRamp.getNextValue();

    // The tangent and the division are only paid while a ramp is moving.
    if (cutoff != lastCutoff || resonance != lastResonance)
        updateCoefficients (cutoff, resonance);

    const float t = x - ic2;
    const float bp = a1 * ic1 + a2 * t;
    const float lp = ic2 + a2 * ic1 + a3 * t;
    ic1 = 2.0f * bp - ic1;
    ic2 = 2.0f * lp - ic2;

    switch (mode)
    {
        case FilterMode::High:  return x - k * bp - lp;
        case FilterMode::Band:  return bp;
        case FilterMode::Notch: return x - k * bp;
        case FilterMode::Low:
        default:                return lp;
    }
}

float StateVariableFilter::magnitudeResponse (FilterMode mode, float cutoffHz, float resonance,
                                              float frequencyHz, double sampleRate) noexcept
{
    if (! std::isfinite (frequencyHz) || frequencyHz <= 0.0f || sampleRate <= 0.0)
        return 0.0f;

    using Complex = std::complex<double>;

    const double omega = juce::MathConstants<double>::twoPi * (double) frequencyHz / sampleRate;
    const Complex zInverse (std::cos (omega), -std::sin (omega));
    const Complex onePlusZInverse = 1.0 + zInverse;

    // At Nyquist the bilinear map sends s to infinity: only the s^2 numerators survive.
    if (std::abs (onePlusZInverse) < 1.0e-9)
        return (mode == FilterMode::High || mode == FilterMode::Notch) ? 1.0f : 0.0f;

    // The same prewarped g as the running stage, so the curve matches what is heard.
    const double cutoff = (double) limitCutoff (cutoffHz, sampleRate);
    const double prewarped = std::tan (juce::MathConstants<double>::pi * cutoff / sampleRate);
    const Complex s = (1.0 - zInverse) / onePlusZInverse / prewarped;
    const double damping = 2.0 - 2.0 * (double) juce::jlimit (0.0f, maximumResonance, resonance);

    const Complex denominator = s * s + damping * s + 1.0;
    if (std::abs (denominator) < 1.0e-12)
        return 1.0f;

    Complex numerator;
    switch (mode)
    {
        case FilterMode::High:  numerator = s * s; break;
        case FilterMode::Band:  numerator = s; break;
        case FilterMode::Notch: numerator = s * s + 1.0; break;
        case FilterMode::Low:
        default:                numerator = 1.0; break;
    }

    const double magnitude = std::abs (numerator / denominator);
    return std::isfinite (magnitude) ? (float) magnitude : 0.0f;
}

} // namespace halvo
