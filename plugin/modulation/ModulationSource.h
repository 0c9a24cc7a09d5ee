#pragma once

#include "dsp/LinearEnvelope.h"

namespace halvo
{

/** Anything a modulation route can read: one value per audio block. */
class ModulationSource
{
public:
    virtual ~ModulationSource() = default;

    virtual void prepare (double sampleRate) = 0;
    virtual void reset() = 0;
    virtual void processBlock (int numSamples) = 0;
    virtual float getValue() const = 0;
    virtual bool isBipolar() const = 0;
};

/** A value its owner writes directly: velocity, bend and note per voice, the macros in the
    processor. */
class ValueModulationSource final : public ModulationSource
{
public:
    explicit ValueModulationSource (bool bipolarSource = false) noexcept : bipolar (bipolarSource) {}

    void prepare (double) override {}
    void reset() override { value = 0.0f; }
    void processBlock (int) override {}
    float getValue() const override { return value; }
    bool isBipolar() const override { return bipolar; }

    /** Takes a value clamped to the source's range (-1..1 when bipolar, else 0..1). */
    void setValue (float newValue) noexcept;

    float value = 0.0f;
    bool bipolar = false;
};

/** Reads one of the voice's envelopes. */
class EnvelopeModulationSource final : public ModulationSource
{
public:
    explicit EnvelopeModulationSource (const LinearEnvelope* source = nullptr) noexcept : envelope (source) {}

    void prepare (double) override {}
    void reset() override {}
    void processBlock (int) override {}
    float getValue() const override { return envelope != nullptr ? envelope->getLevel() : 0.0f; }
    bool isBipolar() const override { return false; }

    const LinearEnvelope* envelope = nullptr;
};

/** Follows the level of the voice's captured-sound signal: fast up (1 ms), slower down
    (50 ms). The voice feeds it every sample. */
class CaptureAmplitudeSource final : public ModulationSource
{
public:
    void prepare (double newSampleRate) override;
    void reset() override { value = 0.0f; }
    void processBlock (int) override {}
    float getValue() const override { return value; }
    bool isBipolar() const override { return false; }

    /** One sample of the follower; x is |capture sample x capture level|. */
    void follow (float x) noexcept
    {
        value += (x - value) * (x > value ? attackCoefficient : releaseCoefficient);
        value = value < 1.0f ? value : 1.0f;
    }

    float getAttackCoefficient() const noexcept { return attackCoefficient; }
    float getReleaseCoefficient() const noexcept { return releaseCoefficient; }

private:
    double sampleRate = 48000.0;
    float attackTime = 0.001f;
    float releaseTime = 0.05f;
    float attackCoefficient = 0.02f;
    float releaseCoefficient = 0.0004f;
    float value = 0.0f;
};

} // namespace halvo
