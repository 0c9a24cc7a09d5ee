#include "support/ProcessorTestHelpers.h"
#include "support/SignalAnalysis.h"

namespace
{

using namespace halvo;
using test::noteNumbers;
using test::setParameter;

constexpr double sampleRate = 48000.0;
constexpr int blockSize = 512;

class ProcessBlock : public ::testing::Test
{
protected:
    void SetUp() override { processor.prepareToPlay (sampleRate, blockSize); }

    void process (juce::MidiBuffer& midi, int numSamples = blockSize)
    {
        buffer.setSize (2, numSamples, false, false, true);
        processor.processBlock (buffer, midi);
    }

    void process()
    {
        juce::MidiBuffer midi;
        process (midi);
    }

    HalvoSynthAudioProcessor processor;
    juce::AudioBuffer<float> buffer { 2, blockSize };
};

TEST_F (ProcessBlock, DefaultsWithoutNotesAreSilent)
{
    // Whatever the device left in the buffer is cleared before anything renders.
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < blockSize; ++i)
            buffer.setSample (c, i, 0.7f);

    juce::MidiBuffer midi;
    processor.processBlock (buffer, midi);

    EXPECT_EQ (buffer.getMagnitude (0, blockSize), 0.0f);
    EXPECT_EQ (processor.getOutputPeak(), 0.0f);
}

TEST_F (ProcessBlock, ADefaultNoteSoundsAtItsPitchAndEndsAfterTheRelease)
{
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 69, 1.0f), 0);
    process (midi);

    std::vector<float> left;
    for (int block = 0; block < 60; ++block)
    {
        process();
        left.insert (left.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + blockSize);
    }

    const double frequency = test::frequencyFromZeroCrossings (left.data(), (int) left.size(), sampleRate);
    EXPECT_NEAR (test::centsBetween (frequency, 440.0), 0.0, 1.0);
    EXPECT_GT (test::rms (left.data(), (int) left.size()), 0.05);
    EXPECT_LE (test::peak (left.data(), (int) left.size()), 1.0f);

    midi.clear();
    midi.addEvent (juce::MidiMessage::noteOff (1, 69), 0);
    process (midi);
    EXPECT_EQ (processor.countSoundingVoices(), 1) << "the release is still running";

    for (int block = 0; block < 40; ++block) // 0.3 s of release is under 29 blocks
        process();
    EXPECT_EQ (processor.countSoundingVoices(), 0);
    EXPECT_EQ (buffer.getMagnitude (0, blockSize), 0.0f);
}

TEST (ProcessorTables, EveryProcessorReadsTheSameTables)
{
    HalvoSynthAudioProcessor first, second;
    EXPECT_EQ (&first.getWavetableLibrary(), &second.getWavetableLibrary());
    EXPECT_EQ (&first.getWavetableBank(), &second.getWavetableBank());
    EXPECT_EQ (first.getSharedState().wavetableLibrary, &first.getWavetableLibrary());
    EXPECT_EQ (first.getSharedState().captureEngine, &first.getCaptureEngine());
    EXPECT_NE (&first.getCaptureEngine(), &second.getCaptureEngine());
}

TEST_F (ProcessBlock, TransposeMovesHostNotesAndDropsThoseOutOfRange)
{
    setParameter (processor, "globalTranspose", 12.0f);

    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, 0.8f), 0);
    midi.addEvent (juce::MidiMessage::noteOn (1, 120, 0.8f), 10);
    midi.addEvent (juce::MidiMessage::controllerEvent (1, 74, 33), 20);
    midi.addEvent (juce::MidiMessage::noteOff (1, 60), 30);
    midi.addEvent (juce::MidiMessage::noteOff (1, 120), 40);
    process (midi);

    EXPECT_EQ (noteNumbers (midi, true), std::vector<int> { 72 });
    EXPECT_EQ (noteNumbers (midi, false), std::vector<int> { 72 });

    // Everything that is not a note passes unchanged, at its position.
    int controllers = 0;
    for (const auto metadata : midi)
        if (const auto m = metadata.getMessage(); m.isController())
        {
            ++controllers;
            EXPECT_EQ (metadata.samplePosition, 20);
            EXPECT_EQ (m.getControllerNumber(), 74);
            EXPECT_EQ (m.getControllerValue(), 33);
        }
    EXPECT_EQ (controllers, 1);
}

TEST_F (ProcessBlock, TransposeDownDropsNotesBelowZero)
{
    setParameter (processor, "globalTranspose", -48.0f);

    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 47, 0.8f), 0);
    midi.addEvent (juce::MidiMessage::noteOn (1, 48, 0.8f), 1);
    process (midi);

    EXPECT_EQ (noteNumbers (midi, true), std::vector<int> { 0 });
}

TEST_F (ProcessBlock, OnScreenKeyboardNotesAreMergedAndTransposed)
{
    setParameter (processor, "globalTranspose", 12.0f);
    processor.getKeyboardState().noteOn (1, 60, 0.9f);
    processor.getKeyboardState().noteOn (1, 120, 0.9f);

    juce::MidiBuffer midi;
    process (midi);
    EXPECT_EQ (noteNumbers (midi, true), std::vector<int> { 72 });
    EXPECT_EQ (processor.countSoundingVoices(), 1);

    // The keyboard's events are taken once: the next block carries none.
    juce::MidiBuffer next;
    process (next);
    EXPECT_TRUE (next.isEmpty());
}

TEST_F (ProcessBlock, EditorEventsOutsideTheBlockAreDropped)
{
    ASSERT_TRUE (processor.queueEditorMidi (juce::MidiMessage::pitchWheel (1, 10000), 0));
    ASSERT_TRUE (processor.queueEditorMidi (juce::MidiMessage::controllerEvent (1, 1, 99), blockSize));

    juce::MidiBuffer midi;
    process (midi);

    ASSERT_EQ (midi.getNumEvents(), 1);
    EXPECT_TRUE ((*midi.begin()).getMessage().isPitchWheel());

    juce::MidiBuffer next;
    process (next);
    EXPECT_TRUE (next.isEmpty());
}

TEST_F (ProcessBlock, MonoRebuildsOneVoiceAndCutsSoundingChords)
{
    EXPECT_EQ (processor.getNumVoices(), 16);

    juce::MidiBuffer chord;
    for (const int note : { 60, 64, 67 })
        chord.addEvent (juce::MidiMessage::noteOn (1, note, 0.8f), 0);
    process (chord);
    EXPECT_EQ (processor.countSoundingVoices(), 3);

    setParameter (processor, "voiceMono", 1.0f);
    process();
    EXPECT_EQ (processor.getNumVoices(), 1);
    EXPECT_EQ (processor.countSoundingVoices(), 0);

    setParameter (processor, "voiceMono", 0.0f);
    process();
    EXPECT_EQ (processor.getNumVoices(), 16);
}

TEST_F (ProcessBlock, NoteStealingMakesRoomForEveryNewNote)
{
    juce::MidiBuffer notes;
    for (int i = 0; i < 20; ++i)
        notes.addEvent (juce::MidiMessage::noteOn (1, 40 + i, 0.8f), i);
    process (notes);

    EXPECT_EQ (processor.countSoundingVoices(), 16);
    for (int note = 56; note < 60; ++note)
        EXPECT_TRUE (processor.isNoteSounding (note)) << "the newest notes take over voices: " << note;
}

TEST_F (ProcessBlock, CaptureInputBusRecordsBeforeTheClear)
{
    auto layout = processor.getBusesLayout();
    layout.inputBuses.getReference (0) = juce::AudioChannelSet::stereo();
    ASSERT_TRUE (processor.setBusesLayout (layout));
    processor.prepareToPlay (sampleRate, blockSize);

    auto& recorder = processor.getInputBusRecorder();
    ASSERT_TRUE (recorder.start (1000, sampleRate));

    for (int block = 0; block < 2; ++block)
    {
        buffer.setSize (2, blockSize);
        for (int i = 0; i < blockSize; ++i)
        {
            buffer.setSample (0, i, 0.25f);
            buffer.setSample (1, i, 0.75f);
        }
        juce::MidiBuffer midi;
        processor.processBlock (buffer, midi);

        // The input never reaches the output.
        EXPECT_EQ (buffer.getMagnitude (0, blockSize), 0.0f);
        EXPECT_EQ (recorder.getState(), block == 0 ? InputBusRecorder::recording : InputBusRecorder::recorded);
    }

    juce::AudioBuffer<float> take;
    double takeRate = 0.0;
    ASSERT_TRUE (recorder.collect (take, takeRate));
    ASSERT_EQ (take.getNumSamples(), 1000);
    EXPECT_FLOAT_EQ (take.getSample (0, 999), 0.5f);
    EXPECT_EQ (takeRate, sampleRate);
}

TEST_F (ProcessBlock, RecordingWithTheCaptureInputDisabledEndsAtOnce)
{
    ASSERT_FALSE (processor.getBus (true, 0)->isEnabled());

    auto& recorder = processor.getInputBusRecorder();
    ASSERT_TRUE (recorder.start (1000, sampleRate));
    process();
    EXPECT_EQ (recorder.getState(), InputBusRecorder::idle);
}

} // namespace
