#include "voice/CapturePlayer.h"

#include <algorithm>
#include <cmath>

namespace
{
    constexpr float twoPi = 6.28318530717958647692f;
}

namespace halvo
{

void CapturePlayer::prepare (double newSampleRate) noexcept
{
    sampleRate = newSampleRate;
    cycle.sampleRate = newSampleRate;
    cycle.phase = 0.0f;

    grainLength = std::clamp ((int) (0.05 * newSampleRate), 256, 8192);
    grainHop = grainLength / 2;

    for (auto& grain : grains)
        grain.active = false;

    playHead = 0.0;
    spawnCountdown = 0;
}

void CapturePlayer::startNote (const CaptureEngine* engine) noexcept
{
    cycle.table = engine != nullptr && engine->hasData() ? engine->getCurrentWavetable() : nullptr;
    cycle.phase = 0.0f;

    for (auto& grain : grains)
        grain.active = false;

    playHead = 0.0;
    spawnCountdown = 0;
}

bool CapturePlayer::adopt (const CaptureEngine* engine) noexcept
{
    const Wavetable* newCycle = nullptr;
    source = nullptr;
    sourceLength = 0;

    if (engine != nullptr && engine->hasData())
    {
        newCycle = engine->getCurrentWavetable();

        if (const auto* grainSource = engine->getCurrentGrainSource())
        {
            source = grainSource->samples.data();
            sourceLength = (int) grainSource->samples.size();
            sourceSampleRate = grainSource->sampleRate > 0.0 ? grainSource->sampleRate : 44100.0;
        }
    }

    const bool changed = newCycle != cycle.table;
    cycle.table = newCycle;
    return changed;
}

void CapturePlayer::setPitch (double cycleFrequencyHz, float grainPitchRatio) noexcept
{
    cycle.setFrequency (cycleFrequencyHz);
    pitchRatio = std::clamp (grainPitchRatio, 1.0f / 32.0f, 32.0f);
}

void CapturePlayer::startGrain() noexcept
{
    for (auto& grain : grains)
    {
        if (! grain.active)
        {
            grain = { true, playHead, 0.0, 0 };
            return;
        }
    }
}

float CapturePlayer::readSource (double position) const noexcept
{
    const double length = (double) sourceLength;
    double wrapped = position - length * std::floor (position / length);
    if (! (wrapped >= 0.0 && wrapped < length))
        wrapped = 0.0;

    const int index = (int) wrapped;
    const int nextIndex = index + 1 < sourceLength ? index + 1 : 0;
    const float fraction = (float) (wrapped - (double) index);
    return source[index] + (source[nextIndex] - source[index]) * fraction;
}

float CapturePlayer::nextGrainSample() noexcept
{
    if (source == nullptr || sourceLength < minimumSourceLength || grainLength < 1)
        return 0.0f;

    if (spawnCountdown-- <= 1)
    {
        startGrain();
        spawnCountdown = grainHop;
    }

    // Grains read at the played pitch; the play-head itself walks through the sound at its
    // own speed, so the sound's timing does not follow the key.
    const double sourceStep = sourceSampleRate / sampleRate;
    const double grainStep = (double) pitchRatio * sourceStep;
    const float twoPiOverLength = twoPi / (float) grainLength;

    float sum = 0.0f;
    for (auto& grain : grains)
    {
        if (! grain.active)
            continue;

        const float window = 0.5f * (1.0f - std::cos (twoPiOverLength * (float) grain.age));
        sum += readSource (grain.start + grain.offset) * window;

        grain.offset += grainStep;
        if (++grain.age >= grainLength)
            grain.active = false;
    }

    playHead += sourceStep;
    if (playHead >= (double) sourceLength)
        playHead -= (double) sourceLength;

    return sum;
}

} // namespace halvo
