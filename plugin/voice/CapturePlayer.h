#pragma once

#include "capture/CaptureEngine.h"
#include "voice/TableOscillator.h"

#include <array>

namespace halvo
{

/** A voice's player of the captured sound: "Cycle" mode plays the captured single cycle like
    an oscillator; "Granular" mode plays the whole sound as overlapping Hann-windowed grains,
    pitched by the played note while the play-head moves through the sound in real time. */
class CapturePlayer
{
public:
    static constexpr int numGrains = 4;
    static constexpr int minimumSourceLength = 64;

    /** Takes the output rate, derives the grain length (50 ms, 256..8192 samples) and hop
        (half of it) and resets phase, play-head and grains. */
    void prepare (double newSampleRate) noexcept;

    /** For a new note: the engine's current cycle (if it holds a sound), phase 0, no grains
        running, play-head at the start and a grain due at the first sample. */
    void startNote (const CaptureEngine* engine) noexcept;

    /** At the start of a block: follows the engine's current sound, or drops it when the
        engine holds none. Returns true when the cycle changed, so the caller recomputes its
        frequency. */
    bool adopt (const CaptureEngine* engine) noexcept;

    /** The cycle's frequency and the grains' pitch ratio (clamped to 1/32..32). */
    void setPitch (double cycleFrequencyHz, float grainPitchRatio) noexcept;

    float nextCycleSample() noexcept { return cycle.next(); }
    float nextGrainSample() noexcept;

    const Wavetable* getCycle() const noexcept { return cycle.table; }
    int getGrainLength() const noexcept { return grainLength; }
    int getGrainHop() const noexcept { return grainHop; }
    float getGrainPitchRatio() const noexcept { return pitchRatio; }
    double getPlayHead() const noexcept { return playHead; }
    float getCycleIncrement() const noexcept { return cycle.increment; }
    int getCycleLevel() const noexcept { return cycle.level; }

private:
    struct Grain
    {
        bool active = false;
        double start = 0.0;   // source samples
        double offset = 0.0;  // source samples
        int age = 0;          // output samples
    };

    void startGrain() noexcept;
    float readSource (double position) const noexcept;

    TableOscillator cycle;
    double sampleRate = 44100.0;

    const float* source = nullptr;
    int sourceLength = 0;
    double sourceSampleRate = 44100.0;

    double playHead = 0.0;
    int grainLength = 2205;
    int grainHop = 1102;
    int spawnCountdown = 0;
    float pitchRatio = 1.0f;
    std::array<Grain, numGrains> grains {};
};

} // namespace halvo
