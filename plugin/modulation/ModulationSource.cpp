#include "modulation/ModulationSource.h"

#include <algorithm>
#include <cmath>

namespace halvo
{

void ValueModulationSource::setValue (float newValue) noexcept
{
    value = std::clamp (newValue, bipolar ? -1.0f : 0.0f, 1.0f);
}

namespace
{
    /** One-pole coefficient for a time constant; a time of 0 or below follows at once. */
    float followerCoefficient (float seconds, double sampleRate) noexcept
    {
        if (seconds <= 0.0f)
            return 1.0f;

        return (float) (1.0 - std::exp (-1.0 / ((double) seconds * sampleRate)));
    }
} // namespace

void CaptureAmplitudeSource::prepare (double newSampleRate)
{
    sampleRate = newSampleRate > 0.0 ? newSampleRate : 48000.0;
    attackCoefficient = followerCoefficient (attackTime, sampleRate);
    releaseCoefficient = followerCoefficient (releaseTime, sampleRate);
}

} // namespace halvo
