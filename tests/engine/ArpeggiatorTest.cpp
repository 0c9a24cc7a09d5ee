#include "engine/Arpeggiator.h"
#include "support/ProcessorTestHelpers.h"

#include <set>

namespace
{

using namespace halvo;

constexpr double sampleRate = 48000.0;

/** One note event the arpeggiator produced, with its absolute sample time. */
struct NoteEvent
{
    int64_t time;
    bool on;
    int note;

    bool operator== (const NoteEvent&) const = default;
};

std::ostream& operator<< (std::ostream& os, const NoteEvent& e)
{
    return os << (e.on ? "on " : "off ") << e.note << " @" << e.time;
}

/** Drives an arpeggiator block by block and collects what it plays. */
struct ArpRig
{
    ArpRig() { arp.prepare (sampleRate); settings.on = true; settings.rateIndex = 3; }

    void press (int note, int position = 0) { pending.addEvent (juce::MidiMessage::noteOn (1, note, 0.8f), position); }
    void release (int note, int position = 0) { pending.addEvent (juce::MidiMessage::noteOff (1, note), position); }

    const juce::MidiBuffer& block (int numSamples = 512)
    {
        const auto& out = arp.process (pending, numSamples, settings);
        for (const auto metadata : out)
        {
            const auto m = metadata.getMessage();
            if (m.isNoteOnOrOff())
                events.push_back ({ now + metadata.samplePosition, m.isNoteOn(), m.getNoteNumber() });
        }
        pending.clear();
        now += numSamples;
        return out;
    }

    void run (int64_t samples)
    {
        while (samples > 0)
        {
            const int n = (int) std::min<int64_t> (512, samples);
            block (n);
            samples -= n;
        }
    }

    std::vector<int> notesPlayed() const
    {
        std::vector<int> notes;
        for (const auto& e : events)
            if (e.on)
                notes.push_back (e.note);
        return notes;
    }

    Arpeggiator arp;
    Arpeggiator::Settings settings;
    juce::MidiBuffer pending;
    std::vector<NoteEvent> events;
    int64_t now = 0;
};

TEST (Arpeggiator, StepAndGateAt120BpmSixteenths)
{
    ArpRig rig;
    rig.press (60);
    rig.run (12000);

    EXPECT_EQ (rig.arp.getStepLength(), 6000);
    EXPECT_EQ (rig.arp.getGateLength(), 3000);
    const std::vector<NoteEvent> expected { { 0, true, 60 }, { 3000, false, 60 }, { 6000, true, 60 }, { 9000, false, 60 } };
    EXPECT_EQ (rig.events, expected);
}

struct TimingCase
{
    int rateIndex;
    double bpm;
    float gate;
    int step, gateSamples;
};

class ArpeggiatorTiming : public ::testing::TestWithParam<TimingCase> {};

TEST_P (ArpeggiatorTiming, StepAndGateLengths)
{
    const auto& c = GetParam();
    ArpRig rig;
    rig.settings.rateIndex = c.rateIndex;
    rig.settings.tempoBpm = c.bpm;
    rig.settings.gate = c.gate;
    rig.press (60);
    rig.block();
    EXPECT_EQ (rig.arp.getStepLength(), c.step);
    EXPECT_EQ (rig.arp.getGateLength(), c.gateSamples);
}

INSTANTIATE_TEST_SUITE_P (Table, ArpeggiatorTiming, ::testing::Values (
    TimingCase { 0, 120.0, 0.5f, 24000, 12000 },  // "1/4"
    TimingCase { 2, 120.0, 0.5f, 8000, 4000 },    // "1/8T"
    TimingCase { 4, 90.0, 0.3f, 5333, 1600 },     // "1/16T": 5333.33 and 1599.9
    TimingCase { 5, 120.0, 0.01f, 3000, 150 },    // gate clamped to 0.05
    TimingCase { 3, 1.0, 0.5f, 6000, 3000 },      // 1 bpm counts as 120
    TimingCase { 3, 0.0, 2.0f, 6000, 6000 }));    // no tempo; gate clamped to 1

TEST (Arpeggiator, FullGatePutsTheNoteOffBeforeTheNextNoteOn)
{
    ArpRig rig;
    rig.settings.gate = 1.0f;
    rig.press (60);
    rig.press (64);
    rig.run (12001);
    const std::vector<NoteEvent> expected { { 0, true, 60 }, { 6000, false, 60 }, { 6000, true, 64 }, { 12000, false, 64 }, { 12000, true, 60 } };
    EXPECT_EQ (rig.events, expected);
}

struct ModeCase
{
    const char* name;
    int mode;
    std::vector<int> pressed;
    std::vector<int> expected;
};

class ArpeggiatorModes : public ::testing::TestWithParam<ModeCase> {};

TEST_P (ArpeggiatorModes, PlayTheHeldChordOverTwoOctaves)
{
    const auto& c = GetParam();
    ArpRig rig;
    rig.settings.mode = c.mode;
    rig.settings.octaves = 2;
    for (const int note : c.pressed)
        rig.press (note);
    rig.run (6000 * (int64_t) c.expected.size() - 1);
    EXPECT_EQ (rig.notesPlayed(), c.expected) << c.name;
}

INSTANTIATE_TEST_SUITE_P (Table, ArpeggiatorModes, ::testing::Values (
    ModeCase { "Up", Arpeggiator::up, { 60, 64, 67 }, { 60, 64, 67, 72, 76, 79, 60, 64 } },
    ModeCase { "Down", Arpeggiator::down, { 60, 64, 67 }, { 79, 76, 72, 67, 64, 60, 79, 76 } },
    ModeCase { "UpDown", Arpeggiator::upDown, { 60, 64, 67 }, { 60, 64, 67, 72, 76, 79, 76, 72, 67, 64, 60, 64 } },
    ModeCase { "Order", Arpeggiator::order, { 67, 60, 64 }, { 67, 60, 64, 79, 72, 76, 67, 60 } },
    ModeCase { "OrderNearTheTop", Arpeggiator::order, { 120, 110 }, { 120, 110, 122, 120 } }));

TEST (Arpeggiator, RandomRepeatsAfterEveryPrepare)
{
    const auto playRandom = [] (ArpRig& rig)
    {
        rig.arp.prepare (sampleRate);
        rig.events.clear();
        rig.settings.mode = Arpeggiator::random;
        for (const int note : { 48, 52, 55, 59, 62 })
            rig.press (note);
        rig.run (6000 * 20);
        return rig.notesPlayed();
    };

    ArpRig rig;
    const auto first = playRandom (rig);
    const auto second = playRandom (rig);
    EXPECT_EQ (first, second);
    EXPECT_EQ (first.size(), 20u);
    EXPECT_GT (std::set<int> (first.begin(), first.end()).size(), 2u) << "random, not stuck on one note";
}

TEST (Arpeggiator, TheFirstNoteStartsAtTheBlocksFirstSampleAndReleaseEndsItAtOnce)
{
    ArpRig rig;
    rig.run (1024);
    rig.press (62, 300);
    rig.block();
    rig.release (62, 100);
    rig.block();
    const std::vector<NoteEvent> expected { { 1024, true, 62 }, { 1536, false, 62 } };
    EXPECT_EQ (rig.events, expected);
}

TEST (Arpeggiator, HoldKeepsReleasedKeysUntilItIsSwitchedOff)
{
    ArpRig rig;
    rig.settings.hold = true;
    rig.press (60);
    rig.press (64);
    rig.block();
    rig.release (60);
    rig.release (64);
    rig.press (67); // added to the held pattern
    rig.run (6000 * 3 - 512);
    EXPECT_EQ (rig.notesPlayed(), (std::vector<int> { 60, 64, 67 }));

    // Switching hold off leaves only the keys that are down: 67.
    rig.settings.hold = false;
    rig.events.clear();
    rig.run (6000 * 3);
    EXPECT_EQ (rig.notesPlayed(), (std::vector<int> { 67, 67, 67 }));
}

TEST (Arpeggiator, OtherMessagesPassThroughAtTheirPosition)
{
    ArpRig rig;
    rig.press (60);
    rig.pending.addEvent (juce::MidiMessage::pitchWheel (1, 12000), 77);
    rig.pending.addEvent (juce::MidiMessage::controllerEvent (1, 1, 90), 300);
    const auto& out = rig.block();

    std::vector<std::pair<int, int>> passed; // (position, first byte)
    for (const auto metadata : out)
        if (! metadata.getMessage().isNoteOnOrOff())
            passed.push_back ({ metadata.samplePosition, metadata.data[0] });
    EXPECT_EQ (passed, (std::vector<std::pair<int, int>> { { 77, 0xE0 }, { 300, 0xB0 } }));
}

TEST (Arpeggiator, NotesCarryVelocity100OnChannel1)
{
    ArpRig rig;
    rig.press (60);
    const auto& out = rig.block (10);
    ASSERT_EQ (out.getNumEvents(), 1);
    const auto message = (*out.begin()).getMessage();
    EXPECT_EQ (message.getRawData()[0], 0x90);
    EXPECT_EQ (message.getRawData()[2], 100);
}

TEST (Arpeggiator, MoreThanThirtyTwoKeysAreIgnored)
{
    ArpRig rig;
    for (int note = 20; note < 60; ++note)
        rig.press (note);
    rig.run (6000 * 33 - 1);
    const auto notes = rig.notesPlayed();
    ASSERT_EQ (notes.size(), 33u);
    EXPECT_EQ (notes[31], 51);  // the 32nd key
    EXPECT_EQ (notes[32], 20);  // then round again
}

TEST (Arpeggiator, OffPassesTheBlockThroughAndEndsItsOwnNote)
{
    ArpRig rig;
    rig.press (60);
    rig.block();
    EXPECT_EQ (rig.arp.getCurrentNote(), 60);

    rig.settings.on = false;
    rig.press (72, 40);
    const auto& out = rig.block();
    std::vector<std::pair<int, bool>> seen;
    for (const auto metadata : out)
        seen.push_back ({ metadata.getMessage().getNoteNumber(), metadata.getMessage().isNoteOn() });
    // The arpeggiator's own note must not hang; the new key passes untouched.
    EXPECT_EQ (seen, (std::vector<std::pair<int, bool>> { { 60, false }, { 72, true } }));

    const auto& next = rig.block();
    EXPECT_EQ (next.getNumEvents(), 0);
}

TEST (ArpeggiatorInProcessor, TheVoicesPlayTheArpeggiatedNotes)
{
    HalvoSynthAudioProcessor processor;
    processor.prepareToPlay (sampleRate, 512);
    test::setParameter (processor, "arpOn", 1.0f);
    test::setParameter (processor, "arpOctaves", 2.0f);

    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, 1.0f), 100);
    processor.processBlock (buffer, midi);
    EXPECT_TRUE (processor.isNoteSounding (60));

    for (int block = 0; block < 12; ++block) // past the first step of 6000 samples
    {
        juce::MidiBuffer none;
        processor.processBlock (buffer, none);
    }
    EXPECT_TRUE (processor.isNoteSounding (72));
    EXPECT_EQ (processor.getArpeggiator().getCurrentNote(), 72);
}

} // namespace
