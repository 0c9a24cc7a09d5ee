#pragma once

#include "engine/ParameterLayout.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>

namespace halvo::test
{

/** The smallest processor that can own the synthesizer's parameter tree, so the effects can
    be tested without voices, wavetables or a capture engine. */
class ParameterHost final : public juce::AudioProcessor
{
public:
    ParameterHost()
        : juce::AudioProcessor (BusesProperties().withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
          parameters (*this, nullptr, "FX_TEST", buildParameterLayout())
    {
    }

    /** Sets a parameter the way a host would: through its normalised value. */
    void set (const juce::String& id, float value)
    {
        auto* parameter = parameters.getParameter (id);
        ASSERT_NE (parameter, nullptr) << id;
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
        ASSERT_FLOAT_EQ (*parameters.getRawParameterValue (id), value) << id << " is not on the parameter's grid";
    }

    /** Writes the raw value directly, for values a host control cannot produce. */
    void setRaw (const juce::String& id, float value)
    {
        auto* raw = parameters.getRawParameterValue (id);
        ASSERT_NE (raw, nullptr) << id;
        raw->store (value);
    }

    juce::AudioProcessorValueTreeState parameters;

    const juce::String getName() const override { return "FX test host"; }
    void prepareToPlay (double, int) override {}
    void releaseResources() override {}
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override {}
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
    bool hasEditor() const override { return false; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}
    void getStateInformation (juce::MemoryBlock&) override {}
    void setStateInformation (const void*, int) override {}
};

/** A buffer whose channel c, sample i holds generator (c, i). */
inline juce::AudioBuffer<float> makeSignal (int numChannels, int numSamples, const std::function<float (int, int)>& generator)
{
    juce::AudioBuffer<float> buffer (numChannels, numSamples);
    for (int c = 0; c < numChannels; ++c)
        for (int i = 0; i < numSamples; ++i)
            buffer.setSample (c, i, generator (c, i));
    return buffer;
}

/** A sine per channel, each channel at its own frequency and amplitude so that stereo effects
    see different signals on the two sides. */
inline juce::AudioBuffer<float> makeSines (int numChannels, int numSamples, double sampleRate, float amplitude = 0.5f)
{
    return makeSignal (numChannels, numSamples, [=] (int c, int i) {
        const double frequency = 220.0 * (1.0 + 0.37 * c);
        return amplitude * (float) std::sin (2.0 * juce::MathConstants<double>::pi * frequency * i / sampleRate) * (1.0f - 0.2f * (float) c);
    });
}

inline juce::AudioBuffer<float> makeImpulse (int numChannels, int numSamples, float height = 1.0f)
{
    return makeSignal (numChannels, numSamples, [=] (int, int i) { return i == 0 ? height : 0.0f; });
}

inline ::testing::AssertionResult bitIdentical (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
{
    if (a.getNumChannels() != b.getNumChannels() || a.getNumSamples() != b.getNumSamples())
        return ::testing::AssertionFailure() << "buffer shapes differ";

    for (int c = 0; c < a.getNumChannels(); ++c)
        for (int i = 0; i < a.getNumSamples(); ++i)
            if (std::memcmp (a.getReadPointer (c) + i, b.getReadPointer (c) + i, sizeof (float)) != 0)
                return ::testing::AssertionFailure() << "channel " << c << " sample " << i << ": " << a.getSample (c, i)
                                                     << " vs " << b.getSample (c, i);

    return ::testing::AssertionSuccess();
}

inline ::testing::AssertionResult allFinite (const juce::AudioBuffer<float>& buffer)
{
    for (int c = 0; c < buffer.getNumChannels(); ++c)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            if (! std::isfinite (buffer.getSample (c, i)))
                return ::testing::AssertionFailure() << "channel " << c << " sample " << i << " is " << buffer.getSample (c, i);

    return ::testing::AssertionSuccess();
}

/** Runs process over the buffer in consecutive blocks of blockSize samples (the last may be
    shorter), each block a view on the buffer's own memory, as a host would call it. */
template <typename Process>
void inBlocks (juce::AudioBuffer<float>& buffer, int blockSize, Process&& process)
{
    for (int start = 0; start < buffer.getNumSamples(); start += blockSize)
    {
        const int n = std::min (blockSize, buffer.getNumSamples() - start);
        juce::AudioBuffer<float> view (buffer.getArrayOfWritePointers(), buffer.getNumChannels(), start, n);
        process (view, n);
    }
}

/** Index of the largest magnitude in a channel. */
inline int indexOfPeak (const juce::AudioBuffer<float>& buffer, int channel)
{
    const auto* samples = buffer.getReadPointer (channel);
    int best = 0;
    for (int i = 1; i < buffer.getNumSamples(); ++i)
        if (std::abs (samples[i]) > std::abs (samples[best]))
            best = i;
    return best;
}

} // namespace halvo::test
