#pragma once

namespace halvo
{

/** Attack-decay-sustain-release envelope with straight segments at fixed rates. It serves as
    the voice's amplitude envelope (ENV1) and as the three modulation envelopes ENV2 to ENV4.

    The release runs at a fixed rate from whatever level the note reached, so it takes
    release time x starting level seconds. */
class LinearEnvelope
{
public:
    enum Stage
    {
        idle = 0,
        attack = 1,
        decay = 2,
        sustain = 3,
        release = 4
    };

    /** Stores the rate and recomputes the segment rates. */
    void setSampleRate (double newSampleRate) noexcept;

    /** Takes times in seconds and a sustain level (clamped to 0..1) and recomputes the rates;
        a sounding note follows the new rates from its next sample. */
    void setParameters (float attackSeconds, float decaySeconds, float sustainLevel, float releaseSeconds) noexcept;

    /** Starts the attack from level 0. */
    void noteOn() noexcept;

    /** Moves any stage but idle into the release. */
    void noteOff() noexcept;

    /** Back to idle at level 0 at once. */
    void reset() noexcept;

    /** Advances one sample and returns the new level. */
    float step() noexcept;

    /** Advances several samples. */
    void advance (int numSamples) noexcept;

    int getStage() const noexcept { return stage; }
    bool isIdle() const noexcept { return stage == idle; }
    float getLevel() const noexcept { return level; }

    float getAttackRate() const noexcept { return attackRate; }
    float getDecayRate() const noexcept { return decayRate; }
    float getReleaseRate() const noexcept { return releaseRate; }

private:
    void updateRates() noexcept;

    double sampleRate = 44100.0;
    float attackTime = 0.005f;
    float decayTime = 0.15f;
    float sustainLevel = 0.8f;
    float releaseTime = 0.3f;
    int stage = idle;
    float level = 0.0f;
    float attackRate = 0.0f;
    float decayRate = 0.0f;
    float releaseRate = 0.0f;
};

} // namespace halvo
