#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

namespace halvo
{

/** The synthesizer's only sound: every note on every channel plays it. */
class SynthSound final : public juce::SynthesiserSound
{
public:
    bool appliesToNote (int) override { return true; }
    bool appliesToChannel (int) override { return true; }
};

} // namespace halvo
