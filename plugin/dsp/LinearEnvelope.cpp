#include "dsp/LinearEnvelope.h"

#include <algorithm>

namespace halvo
{

namespace
{
    /** Level change per sample for a segment of the given length. A segment of no length (or
        a missing sample rate) completes in one sample. */
    float perSampleRate (float seconds, double sampleRate) noexcept
    {
        if (seconds <= 0.0f || sampleRate <= 0.0)
            return 1.0f;

        return 1.0f / (float) (seconds * sampleRate);
    }
} // namespace

void LinearEnvelope::setSampleRate (double newSampleRate) noexcept
{
    sampleRate = newSampleRate;
    updateRates();
}

void LinearEnvelope::setParameters (float attackSeconds, float decaySeconds, float newSustain, float releaseSeconds) noexcept
{
    attackTime = attackSeconds;
    decayTime = decaySeconds;
    sustainLevel = std::clamp (newSustain, 0.0f, 1.0f);
    releaseTime = releaseSeconds;
    updateRates();
}

void LinearEnvelope::updateRates() noexcept
{
    attackRate = perSampleRate (attackTime, sampleRate);
    // The decay covers only the distance from the peak down to the sustain level.
    decayRate = std::max (0.0f, 1.0f - sustainLevel) * perSampleRate (decayTime, sampleRate);
    releaseRate = perSampleRate (releaseTime, sampleRate);
}

void LinearEnvelope::noteOn() noexcept
{
    stage = attack;
    level = 0.0f;
}

void LinearEnvelope::noteOff() noexcept
{
    if (stage != idle)
        stage = release;
}

void LinearEnvelope::reset() noexcept
{
    stage = idle;
    level = 0.0f;
}

float LinearEnvelope::step() noexcept
{
    switch (stage)
    {
        case attack:
            level += attackRate;
            if (level >= 1.0f)
            {
                level = 1.0f;
                stage = decay;
            }
            break;

        case decay:
            level -= decayRate;
            if (sustainLevel >= level)
            {
                level = sustainLevel;
                // With no sustain the note is over when the decay ends, held key or not.
                stage = sustainLevel > 0.0f ? sustain : idle;
            }
            break;

        case sustain:
            level = sustainLevel;
            break;

        case release:
            level -= releaseRate;
            if (level <= 0.0f)
            {
                level = 0.0f;
                stage = idle;
            }
            break;

        default:
            level = 0.0f;
            break;
    }

    return level;
}

void LinearEnvelope::advance (int numSamples) noexcept
{
    for (int i = 0; i < numSamples; ++i)
        step();
}

} // namespace halvo
