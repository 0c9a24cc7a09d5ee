#pragma once

#include "voice/TableOscillator.h"
#include "wavetable/MorphTable.h"

#include <array>
#include <cmath>

namespace halvo
{

/** One wavetable oscillator (A, B or C) with up to sixteen unison copies spread evenly in
    pitch and across the stereo field.

    In table mode every copy plays a morph table from the library with phase warp and phase
    modulation; otherwise it plays a basic shape from the bank. The two modes keep separate
    slot sets, so switching mode resumes the other set where it stood. */
class UnisonEngine
{
public:
    static constexpr int maxVoices = 16;

    /** Warp modes in the order of the "Warp" choices. */
    enum WarpMode
    {
        warpOff = 0,
        warpBend = 1,
        warpPwm = 2,
        warpSync = 3,
        warpMirror = 4,
        warpFold = 5
    };

    struct StereoSample
    {
        float left = 0.0f;
        float right = 0.0f;
    };

    /** What the oscillator plays this block. */
    struct Settings
    {
        const MorphTable* morphTable = nullptr;  // table mode when set
        float position = 0.0f;                   // 0..1
        const Wavetable* shapeTable = nullptr;   // the bank's shape, for bank mode
        int unisonCount = 1;
        float detuneCents = 0.0f;
        float width = 0.0f;
        int warpMode = warpOff;
        float warpAmount = 0.0f;
    };

    /** Takes the rate (0 or below stands for 44100) and sets every phase to 0. */
    void prepare (double newSampleRate) noexcept;

    /** Takes this block's tables, unison spread and warp. Values out of range are clamped. */
    void configure (const Settings& settings) noexcept;

    /** Phases for a new note: copy j starts j/16 of a cycle in, in both slot sets. */
    void startNote() noexcept;

    /** Every table-mode copy reads the morph table at this position (clamped to 0..1). */
    void setPosition (float position) noexcept;

    /** Increments and band-limit levels of the active copies for the oscillator's frequency;
        the copies sit evenly between -detune and +detune cents around it. */
    void setFrequency (double frequencyHz) noexcept;

    /** The next stereo sample of all copies together, scaled by 1/sqrt(count). The phase
        offset (in cycles) is the phase modulation, heard only in table mode. */
    StereoSample processSample (float phaseOffset) noexcept
    {
        float left = 0.0f, right = 0.0f;

        for (int j = 0; j < unisonCount; ++j)
        {
            const float s = tableMode ? nextTableSample (tableSlots[(size_t) j], phaseOffset)
                                      : bankSlots[(size_t) j].next();
            left += s * panLeft[(size_t) j];
            right += s * panRight[(size_t) j];
        }

        return { left / unisonNorm, right / unisonNorm };
    }

    /** The phase after warping, for a phase x in [0, 1). Off, or an amount at or below 1e-4,
        leaves it as it is. */
    static float warpPhase (float x, int mode, float amount) noexcept;

    bool isTableMode() const noexcept { return tableMode; }
    int getUnisonCount() const noexcept { return unisonCount; }
    double getSampleRate() const noexcept { return sampleRate; }
    float getIncrement (int copy) const noexcept { return tableSlots[(size_t) copy].increment; }
    int getLevel (int copy) const noexcept { return tableSlots[(size_t) copy].level; }
    float getPanLeft (int copy) const noexcept { return panLeft[(size_t) copy]; }
    float getPanRight (int copy) const noexcept { return panRight[(size_t) copy]; }

    /** Detune of copy j of n in cents. */
    static float copyDetuneCents (int copy, int count, float detuneCents) noexcept;

private:
    struct TableSlot
    {
        const MorphTable* table = nullptr;
        float position = 0.0f;
        float phase = 0.0f;
        float increment = 0.0f;
        int level = 0;
        int warpMode = warpOff;
        float warpAmount = 0.0f;
        MorphTable::FramePair frames;  // resolved from table, position and level

        void resolveFrames() noexcept
        {
            frames = table != nullptr ? table->framesAt (position, level) : MorphTable::FramePair {};
        }
    };

    float nextTableSample (TableSlot& slot, float phaseOffset) noexcept
    {
        if (slot.table == nullptr)
            return 0.0f;

        const float x = warpPhase (slot.phase * (1.0f / (float) Wavetable::cycleLength), slot.warpMode, slot.warpAmount);
        const float shifted = x + phaseOffset;
        const float readPosition = (shifted - std::floor (shifted)) * (float) Wavetable::cycleLength;
        const float sample = slot.frames.read (readPosition);
        slot.phase = TableOscillator::wrapPhase (slot.phase + slot.increment);
        return sample;
    }

    void updatePanGains() noexcept;

    double sampleRate = 44100.0;
    bool tableMode = false;
    int unisonCount = 1;
    float detune = 0.0f;
    float width = 0.0f;
    std::array<TableSlot, maxVoices> tableSlots {};
    std::array<TableOscillator, maxVoices> bankSlots {};

    // Constant-power pan gains and the 1/sqrt(n) scale depend only on the count and the width,
    // so they are computed when those change rather than per sample.
    std::array<float, maxVoices> panLeft {};
    std::array<float, maxVoices> panRight {};
    float unisonNorm = 1.0f;
    int panGainsCount = -1;
    float panGainsWidth = -1.0f;
};

} // namespace halvo
