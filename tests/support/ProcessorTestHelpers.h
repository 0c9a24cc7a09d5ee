#pragma once

#include "engine/HalvoSynthAudioProcessor.h"

#include <gtest/gtest.h>

namespace halvo::test
{

/** Sets a parameter the way a host or the editor would: through its normalised value. */
inline void setParameter (HalvoSynthAudioProcessor& processor, const juce::String& id, float value)
{
    auto* parameter = processor.getParameters().getParameter (id);
    ASSERT_NE (parameter, nullptr) << id;
    parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
}

/** Writes a raw parameter value directly, for values a host control cannot produce
    (exactly 0.5 on a switch, out-of-range values). */
inline void setRawValue (HalvoSynthAudioProcessor& processor, const juce::String& id, float value)
{
    auto* raw = processor.getParameters().getRawParameterValue (id);
    ASSERT_NE (raw, nullptr) << id;
    raw->store (value);
}

/** Notes (note-on and note-off numbers) found in a MIDI buffer, in order. */
inline std::vector<int> noteNumbers (const juce::MidiBuffer& midi, bool noteOns)
{
    std::vector<int> notes;
    for (const auto metadata : midi)
    {
        const auto message = metadata.getMessage();
        if (noteOns ? message.isNoteOn() : message.isNoteOff())
            notes.push_back (message.getNoteNumber());
    }
    return notes;
}

/** A play-head that reports what a test tells it to. */
class FakePlayHead final : public juce::AudioPlayHead
{
public:
    juce::Optional<PositionInfo> getPosition() const override
    {
        if (! hasPosition)
            return {};

        PositionInfo info;
        if (bpm.has_value())
            info.setBpm (*bpm);
        return info;
    }

    bool hasPosition = true;
    std::optional<double> bpm;
};

} // namespace halvo::test
