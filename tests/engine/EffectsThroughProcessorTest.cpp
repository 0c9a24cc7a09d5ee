#include "support/ProcessorTestHelpers.h"

namespace
{

using namespace halvo;
using test::setParameter;

constexpr double sampleRate = 48000.0;
constexpr int blockSize = 480;

/** Plays a 50 ms note with a near-instant release and returns the loudest sample of each
    block for a second. */
std::vector<float> blockPeaksAfterAShortNote (HalvoSynthAudioProcessor& processor)
{
    processor.prepareToPlay (sampleRate, blockSize);
    setParameter (processor, "envRelease", 0.001f);

    juce::AudioBuffer<float> buffer (2, blockSize);
    std::vector<float> peaks;
    for (int block = 0; block < 100; ++block)
    {
        juce::MidiBuffer midi;
        if (block == 0)
            midi.addEvent (juce::MidiMessage::noteOn (1, 60, 1.0f), 0);
        if (block == 5)
            midi.addEvent (juce::MidiMessage::noteOff (1, 60), 0);
        processor.processBlock (buffer, midi);
        peaks.push_back (buffer.getMagnitude (0, blockSize));
    }
    return peaks;
}

TEST (EffectsThroughProcessor, TheFixedDelayEchoesOnlyWhenMixedIn)
{
    HalvoSynthAudioProcessor dry;
    const auto dryPeaks = blockPeaksAfterAShortNote (dry);
    // Blocks 30 to 35 lie 250 ms after the note: silence without an echo.
    for (int block = 30; block < 36; ++block)
        EXPECT_EQ (dryPeaks[(size_t) block], 0.0f) << block;

    HalvoSynthAudioProcessor wet;
    setParameter (wet, "fxDelayTime", 250.0f);
    setParameter (wet, "fxDelayMix", 0.5f);
    const auto wetPeaks = blockPeaksAfterAShortNote (wet);
    EXPECT_GT (*std::max_element (wetPeaks.begin() + 25, wetPeaks.begin() + 31), 0.05f);
}

TEST (EffectsThroughProcessor, TheRackReverbLeavesATail)
{
    HalvoSynthAudioProcessor processor;
    setParameter (processor, "rackRevOn", 1.0f);
    setParameter (processor, "rackRevMix", 0.5f);
    const auto peaks = blockPeaksAfterAShortNote (processor);
    EXPECT_GT (peaks[20], 1.0e-3f);
}

TEST (EffectsThroughProcessor, TheRackOrderMovesOneEntry)
{
    HalvoSynthAudioProcessor processor;
    const EffectsSection::Order initial = processor.getRackOrder();
    EXPECT_EQ (initial, (EffectsSection::Order { 0, 1, 2, 3, 4, 5, 6 }));

    processor.moveRackSlot (0, 6);
    EXPECT_EQ (processor.getRackOrder(), (EffectsSection::Order { 1, 2, 3, 4, 5, 6, 0 }));
    processor.moveRackSlot (3, 3);
    processor.moveRackSlot (-1, 2);
    EXPECT_EQ (processor.getRackOrder(), (EffectsSection::Order { 1, 2, 3, 4, 5, 6, 0 }));
}

} // namespace
