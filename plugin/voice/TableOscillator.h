#pragma once

#include "wavetable/Wavetable.h"

#include <cmath>

namespace halvo
{

/** Plays one band-limited wavetable at a fixed level: a bank-mode unison slot, the sub
    oscillator and the captured cycle all read their table this way. */
struct TableOscillator
{
    const Wavetable* table = nullptr;
    double sampleRate = 44100.0;
    float phase = 0.0f;      // samples, 0 <= phase < 2048
    float increment = 0.0f;  // samples per output sample
    int level = 0;           // band-limit level, 0..10

    /** Increment and band-limit level for a frequency; a missing rate stops the phase. */
    void setFrequency (double frequencyHz) noexcept
    {
        increment = sampleRate > 0.0 ? (float) (frequencyHz / sampleRate * Wavetable::cycleLength) : 0.0f;
        level = Wavetable::levelForFrequency (frequencyHz, sampleRate);
    }

    /** The current sample, then one step on. Without a table the oscillator is silent and
        its phase stands still. */
    float next() noexcept
    {
        if (table == nullptr)
            return 0.0f;

        const float sample = table->read (level, phase);
        phase = wrapPhase (phase + increment);
        return sample;
    }

    /** Brings a phase that ran past the end of the cycle back into [0, 2048). */
    static float wrapPhase (float p) noexcept
    {
        constexpr float length = (float) Wavetable::cycleLength;
        if (p >= length)
            p -= length * std::trunc (p / length);
        return p;
    }
};

} // namespace halvo
