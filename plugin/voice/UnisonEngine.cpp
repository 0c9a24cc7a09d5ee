#include "voice/UnisonEngine.h"

#include <algorithm>

namespace halvo
{

namespace
{
    constexpr float halfPi = 1.57079632679489661923f;

    float fractionalPart (float z) noexcept { return z - std::floor (z); }
} // namespace

void UnisonEngine::prepare (double newSampleRate) noexcept
{
    sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;

    for (auto& slot : tableSlots)
        slot.phase = 0.0f;

    for (auto& slot : bankSlots)
    {
        slot.sampleRate = sampleRate;
        slot.phase = 0.0f;
    }

    updatePanGains();
}

void UnisonEngine::configure (const Settings& settings) noexcept
{
    tableMode = settings.morphTable != nullptr;
    unisonCount = std::clamp (settings.unisonCount, 1, maxVoices);
    detune = std::clamp (settings.detuneCents, 0.0f, 100.0f);
    width = std::clamp (settings.width, 0.0f, 1.0f);

    const int mode = settings.warpMode >= warpOff && settings.warpMode <= warpFold ? settings.warpMode : warpOff;
    const float amount = std::clamp (settings.warpAmount, 0.0f, 1.0f);
    const float position = std::clamp (settings.position, 0.0f, 1.0f);

    for (auto& slot : tableSlots)
    {
        slot.table = settings.morphTable;
        slot.position = position;
        slot.warpMode = mode;
        slot.warpAmount = amount;
        slot.resolveFrames();
    }

    // In table mode the bank copies hold no table, and the other way round.
    for (auto& slot : bankSlots)
        slot.table = tableMode ? nullptr : settings.shapeTable;

    updatePanGains();
}

void UnisonEngine::startNote() noexcept
{
    // Spreading the start phases keeps the copies from starting in unison with a click.
    constexpr float phaseStep = (float) Wavetable::cycleLength / (float) maxVoices;

    for (int j = 0; j < maxVoices; ++j)
    {
        tableSlots[(size_t) j].phase = phaseStep * (float) j;
        bankSlots[(size_t) j].phase = phaseStep * (float) j;
    }
}

void UnisonEngine::setPosition (float position) noexcept
{
    const float clamped = std::clamp (position, 0.0f, 1.0f);
    for (auto& slot : tableSlots)
    {
        slot.position = clamped;
        slot.resolveFrames();
    }
}

float UnisonEngine::copyDetuneCents (int copy, int count, float detuneCents) noexcept
{
    if (count <= 1)
        return 0.0f;

    return (2.0f * (float) copy / (float) (count - 1) - 1.0f) * detuneCents;
}

void UnisonEngine::setFrequency (double frequencyHz) noexcept
{
    for (int j = 0; j < unisonCount; ++j)
    {
        const double copyFrequency = frequencyHz * std::exp2 ((double) copyDetuneCents (j, unisonCount, detune) / 1200.0);

        auto& bank = bankSlots[(size_t) j];
        bank.setFrequency (copyFrequency);

        auto& table = tableSlots[(size_t) j];
        table.increment = bank.increment;
        table.level = bank.level;
        table.resolveFrames();
    }
}

void UnisonEngine::updatePanGains() noexcept
{
    if (unisonCount == panGainsCount && width == panGainsWidth)
        return;

    for (int j = 0; j < unisonCount; ++j)
    {
        // Copy 0 sits on the left of the spread; a single copy is centred.
        const float pan = unisonCount == 1 ? 0.0f : (2.0f * (float) j / (float) (unisonCount - 1) - 1.0f) * width;
        const float angle = (0.5f * pan + 0.5f) * halfPi;
        panLeft[(size_t) j] = std::cos (angle);
        panRight[(size_t) j] = std::sin (angle);
    }

    unisonNorm = std::sqrt ((float) unisonCount);
    panGainsCount = unisonCount;
    panGainsWidth = width;
}

float UnisonEngine::warpPhase (float x, int mode, float amount) noexcept
{
    if (mode == warpOff || amount <= 1.0e-4f)
        return x;

    const float m = 3.0f * amount + 1.0f;

    switch (mode)
    {
        case warpBend:
            return std::pow (x, m);

        case warpPwm:
        {
            // The first half of the cycle is squeezed into the first q of the period.
            const float q = 0.5f - 0.45f * amount;
            return x < q ? x * 0.5f / q : 0.5f + (x - q) * 0.5f / (1.0f - q);
        }

        case warpSync:
            return fractionalPart (x * m);

        case warpMirror:
        {
            const float t = x <= 0.5f ? x : 1.0f - x;
            return x + (2.0f * t - x) * amount;
        }

        case warpFold:
        {
            const float u = x * (2.0f * amount + 1.0f);
            return 2.0f * std::abs (u - std::floor (u + 0.5f));
        }

        default:
            return x;
    }
}

} // namespace halvo
