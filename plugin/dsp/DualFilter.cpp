#include "dsp/DualFilter.h"

#include <cmath>

namespace halvo
{

namespace
{
    // Below this a mix or a drive is inaudible, and skipping the work keeps the signal bit-exact.
    constexpr float inaudibleAmount = 1.0e-4f;

    // The 24 dB chain would peak twice as hard as one stage; the first stage takes half the resonance.
    constexpr float firstOfTwoStagesResonanceScale = 0.5f;

    constexpr float maximumDrivenLevel = 2.0f;
} // namespace

//==============================================================================
void DualFilter::prepare (double sampleRate) noexcept
{
    for (auto& stage : stages)
        stage.prepare (sampleRate);
}

void DualFilter::load (const SingleFilterParams& newParams) noexcept
{
    params = newParams;
    stageCount = params.slope == 1 ? 2 : 1;

    const auto mode = (FilterMode) juce::jlimit (0, 3, (int) params.mode);
    for (auto& stage : stages)
        stage.setMode (mode);

    const float drive = params.drive;
    driveGain = 3.0f * drive + 1.0f;
    normalisedDriveWeight = drive > inaudibleAmount ? (1.0f - drive) / std::tanh (driveGain) : 0.0f;
}

void DualFilter::pushCutoff (float keyFrequencyHz) noexcept
{
    pushCutoff (stages, stageCount, params, keyFrequencyHz);
}

void DualFilter::pushCutoff (std::array<StateVariableFilter, 2>& filterStages, int count,
                             const SingleFilterParams& settings, float keyFrequencyHz) noexcept
{
    if (count <= 0)
        return;

    const float trackedCutoff = ((keyFrequencyHz / keyTrackReference - 1.0f) * settings.keyTrack + 1.0f) * settings.cutoff;
    const float fullResonance = juce::jlimit (0.0f, StateVariableFilter::maximumResonance, settings.resonance);

    if (count >= 2)
    {
        const float halfResonance = juce::jlimit (0.0f, StateVariableFilter::maximumResonance,
                                                  settings.resonance * firstOfTwoStagesResonanceScale);

        for (auto& stage : filterStages)
            stage.setCutoffTarget (StateVariableFilter::limitCutoff (trackedCutoff, stage.getSampleRate()));

        filterStages[0].setResonanceTarget (halfResonance);
        filterStages[1].setResonanceTarget (fullResonance);
    }
    else
    {
        filterStages[0].setCutoffTarget (StateVariableFilter::limitCutoff (trackedCutoff, filterStages[0].getSampleRate()));
        filterStages[0].setResonanceTarget (fullResonance);
    }
}

void DualFilter::startFromTargets() noexcept
{
    for (auto& stage : stages)
        stage.startFromTargets();
}

bool DualFilter::isBypassed() const noexcept
{
    return ! params.enabled || params.mix <= inaudibleAmount;
}

float DualFilter::processSample (float input) noexcept
{
    if (isBypassed())
        return input;

    float x = input;

    if (params.drive > inaudibleAmount)
    {
        // A blend of plain saturation (quieter signals get louder) and saturation normalised so
        // that a full-scale input stays at full scale.
        const float saturated = std::tanh (driveGain * input);
        x = juce::jlimit (-maximumDrivenLevel, maximumDrivenLevel,
                          params.drive * saturated + normalisedDriveWeight * saturated);
    }

    const int activeStages = std::min (stageCount, (int) stages.size());
    for (int i = 0; i < activeStages; ++i)
        x = stages[(size_t) i].processSample (x);

    // The dry part is the undriven input, so the mix also blends the drive in.
    return (1.0f - params.mix) * input + params.mix * x;
}

//==============================================================================
void FilterSection::prepare (double sampleRate) noexcept
{
    filter1.prepare (sampleRate);
    filter2.prepare (sampleRate);
}

void FilterSection::update (const SingleFilterParams& newFilter1, const SingleFilterParams& newFilter2,
                            int newRouting, float keyFrequencyHz) noexcept
{
    filter1.load (newFilter1);
    filter2.load (newFilter2);
    routing = newRouting;

    filter1.pushCutoff (keyFrequencyHz);
    filter2.pushCutoff (keyFrequencyHz);
}

void FilterSection::startNote() noexcept
{
    filter1.startFromTargets();
    filter2.startFromTargets();
}

float FilterSection::processSample (float mid) noexcept
{
    const float y1 = filter1.processSample (mid);

    // A bypassed filter 2 returns its input, which gives y1 in series and the plain mid in parallel.
    if (routing == 1)
        return (y1 + filter2.processSample (mid)) * 0.5f;

    return filter2.processSample (y1);
}

float FilterSection::keyFrequency (float note, float bendSemitones) noexcept
{
    const float hz = 440.0f * std::exp2 ((note + bendSemitones - 69.0f) / 12.0f);
    return std::isfinite (hz) && hz > 0.0f ? hz : DualFilter::keyTrackReference;
}

} // namespace halvo
