#include "engine/InputBusRecorder.h"

#include <gtest/gtest.h>

namespace
{

using halvo::InputBusRecorder;

/** A two-channel block whose left channel counts up from start and whose right is its negative
    plus one, so the mono mix of sample k is 0.5. */
juce::AudioBuffer<float> rampBlock (int numSamples, float start)
{
    juce::AudioBuffer<float> block (2, numSamples);
    for (int k = 0; k < numSamples; ++k)
    {
        block.setSample (0, k, start + (float) k);
        block.setSample (1, k, 1.0f - (start + (float) k));
    }
    return block;
}

TEST (InputBusRecorder, FillsAcrossBlocksAndMarksTheTakeWhenFull)
{
    InputBusRecorder recorder;
    ASSERT_TRUE (recorder.start (1000, 48000.0));
    EXPECT_EQ (recorder.getState(), InputBusRecorder::recording);

    recorder.record (rampBlock (512, 0.0f), 2, 512);
    EXPECT_EQ (recorder.getState(), InputBusRecorder::recording);
    EXPECT_EQ (recorder.getWritePosition(), 512);

    recorder.record (rampBlock (512, 512.0f), 2, 512);
    EXPECT_EQ (recorder.getState(), InputBusRecorder::recorded);
    EXPECT_EQ (recorder.getWritePosition(), 1000); // 488 samples of the second block

    juce::AudioBuffer<float> take;
    double sampleRate = 0.0;
    ASSERT_TRUE (recorder.collect (take, sampleRate));
    EXPECT_EQ (recorder.getState(), InputBusRecorder::idle);
    EXPECT_EQ (sampleRate, 48000.0);
    ASSERT_EQ (take.getNumChannels(), 1);
    ASSERT_EQ (take.getNumSamples(), 1000);
    for (int k = 0; k < 1000; ++k)
        ASSERT_FLOAT_EQ (take.getSample (0, k), 0.5f) << k;
}

TEST (InputBusRecorder, MonoInputIsTakenAsIs)
{
    InputBusRecorder recorder;
    ASSERT_TRUE (recorder.start (4, 44100.0));
    auto block = rampBlock (4, 1.0f);
    recorder.record (block, 1, 4);

    juce::AudioBuffer<float> take;
    double sampleRate = 0.0;
    ASSERT_TRUE (recorder.collect (take, sampleRate));
    for (int k = 0; k < 4; ++k)
        EXPECT_FLOAT_EQ (take.getSample (0, k), 1.0f + (float) k);
}

TEST (InputBusRecorder, ABlockThatCannotRecordAbandonsTheTake)
{
    struct Case
    {
        int inputChannels;
        int numSamples;
    };

    for (const auto c : { Case { 0, 512 }, Case { 2, 0 } })
    {
        InputBusRecorder recorder;
        ASSERT_TRUE (recorder.start (1000, 48000.0));
        recorder.record (rampBlock (512, 0.0f), c.inputChannels, c.numSamples);
        EXPECT_EQ (recorder.getState(), InputBusRecorder::idle) << c.inputChannels << " channels, " << c.numSamples << " samples";
    }
}

TEST (InputBusRecorder, EarlyStopKeepsWhatWasRecordedAndStands)
{
    InputBusRecorder recorder;
    ASSERT_TRUE (recorder.start (1000, 48000.0));
    recorder.record (rampBlock (300, 0.0f), 2, 300);

    ASSERT_TRUE (recorder.stopEarly());
    EXPECT_FALSE (recorder.stopEarly());

    // A block arriving after the stop neither records nor changes the state.
    recorder.record (rampBlock (300, 0.0f), 2, 300);
    EXPECT_EQ (recorder.getState(), InputBusRecorder::recorded);

    juce::AudioBuffer<float> take;
    double sampleRate = 0.0;
    ASSERT_TRUE (recorder.collect (take, sampleRate));
    EXPECT_EQ (take.getNumSamples(), 300);
}

TEST (InputBusRecorder, RefusesToRestartOrCollectAtTheWrongTime)
{
    InputBusRecorder recorder;
    juce::AudioBuffer<float> take (1, 7);
    double sampleRate = 1.0;

    EXPECT_FALSE (recorder.collect (take, sampleRate));
    EXPECT_EQ (take.getNumSamples(), 7);
    EXPECT_FALSE (recorder.start (0, 48000.0));

    ASSERT_TRUE (recorder.start (100, 48000.0));
    EXPECT_FALSE (recorder.start (200, 48000.0)); // a running take keeps its buffer
    EXPECT_EQ (recorder.getLength(), 100);
    EXPECT_FALSE (recorder.collect (take, sampleRate));
}

} // namespace
