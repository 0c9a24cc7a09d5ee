#include "support/SignalAnalysis.h"
#include "support/TestNames.h"
#include "support/VoiceTestRig.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace
{

using halvo::test::VoiceTestRig;
using halvo::test::centsBetween;
using halvo::test::frequencyFromZeroCrossings;
using halvo::test::rms;

constexpr double rate = VoiceTestRig::sampleRate;

double measuredFrequency (const juce::AudioBuffer<float>& buffer, int skip = 4800)
{
    return frequencyFromZeroCrossings (buffer.getReadPointer (0) + skip, buffer.getNumSamples() - skip, rate);
}

//==============================================================================
struct PitchCase
{
    const char* name;
    int note;
    int octave, tune;
    float fine;
    int wheel;
    double expectedHz;
};

class SynthVoicePitch : public ::testing::TestWithParam<PitchCase> {};

TEST_P (SynthVoicePitch, SoundsAtTheExpectedFrequency)
{
    const auto& c = GetParam();
    VoiceTestRig rig;
    rig.shared.oscA.shape = 0; // sine: one rising zero crossing per period
    rig.shared.oscA.octave = c.octave;
    rig.shared.oscA.tune = c.tune;
    rig.shared.oscA.fineTune = c.fine;
    rig.queueMidi (juce::MidiMessage::pitchWheel (1, c.wheel));
    rig.queueMidi (juce::MidiMessage::noteOn (1, c.note, 1.0f));

    const auto out = rig.render (48000);
    EXPECT_NEAR (centsBetween (measuredFrequency (out), c.expectedHz), 0.0, 0.5) << c.name;
}

INSTANTIATE_TEST_SUITE_P (Table, SynthVoicePitch, ::testing::Values (
    PitchCase { "A4", 69, 0, 0, 0.0f, 8192, 440.0 },
    PitchCase { "C4", 60, 0, 0, 0.0f, 8192, 261.6256 },
    PitchCase { "octave up", 69, 1, 0, 0.0f, 8192, 880.0 },
    PitchCase { "octave down twice", 69, -2, 0, 0.0f, 8192, 110.0 },
    PitchCase { "fifth up", 69, 0, 7, 0.0f, 8192, 659.2551 },
    PitchCase { "fine plus fifty cents", 69, 0, 0, 50.0f, 8192, 452.8930 },
    PitchCase { "wheel down", 69, 0, 0, 0.0f, 0, 391.9954 },
    PitchCase { "wheel up", 69, 0, 0, 0.0f, 16383, 440.0 * std::exp2 (2.0 * 8191.0 / 8192.0 / 12.0) }),
    halvo::test::NameFromField());

TEST (SynthVoice, PitchWheelRetunesASoundingNote)
{
    VoiceTestRig rig;
    rig.shared.oscA.shape = 0;
    rig.noteOn (69);
    rig.render (4800);
    rig.synth.handlePitchWheel (1, 0);
    EXPECT_FLOAT_EQ (rig.voice->getBendSemitones(), -2.0f);
    EXPECT_NEAR (centsBetween (measuredFrequency (rig.render (24000), 0), 391.9954), 0.0, 0.5);
}

TEST (SynthVoice, SubSoundsAnOctaveBelowWhateverTheOscillatorTuning)
{
    VoiceTestRig rig;
    rig.shared.oscA.level = 0.0f;
    rig.shared.oscA.octave = 2;
    rig.shared.subLevel = 1.0f;
    rig.shared.subShape = 0;
    rig.noteOn (69);
    EXPECT_NEAR (centsBetween (measuredFrequency (rig.render (48000)), 220.0), 0.0, 0.5);
}

TEST (SynthVoice, VelocityScalesTheOutputLinearly)
{
    const auto renderAt = [] (float velocity)
    {
        VoiceTestRig rig;
        rig.noteOn (57, velocity);
        const auto out = rig.render (9600);
        return rms (out.getReadPointer (0), out.getNumSamples());
    };

    const double full = renderAt (1.0f);
    ASSERT_GT (full, 0.1);
    EXPECT_NEAR (renderAt (0.5f) / full, 0.5, 1.0e-6);
}

TEST (SynthVoice, NoiseIsUniformWithinPlusMinusOneAndCentred)
{
    VoiceTestRig rig;
    rig.shared.oscA.level = 0.0f;
    rig.shared.noiseLevel = 1.0f;
    rig.noteOn (60);
    const auto out = rig.render (48000);

    const float* left = out.getReadPointer (0);
    const float* right = out.getReadPointer (1);
    double sum = 0.0;
    float lowest = 1.0f, highest = -1.0f;
    for (int i = 0; i < out.getNumSamples(); ++i)
    {
        ASSERT_EQ (left[i], right[i]) << "noise is mono";
        sum += left[i];
        lowest = std::min (lowest, left[i]);
        highest = std::max (highest, left[i]);
    }
    EXPECT_GE (lowest, -1.0f);
    EXPECT_LT (highest, 1.0f);
    EXPECT_LT (lowest, -0.99f);
    EXPECT_GT (highest, 0.99f);
    EXPECT_NEAR (sum / out.getNumSamples(), 0.0, 0.02);
    EXPECT_NEAR (rms (left, out.getNumSamples()), 1.0 / std::sqrt (3.0), 0.01);
}

//==============================================================================
TEST (SynthVoice, SustainZeroFreesTheVoiceWhenTheDecayEnds)
{
    VoiceTestRig rig;
    rig.shared.ampSustain = 0.0f;
    rig.shared.ampDecay = 0.01f; // 480 samples
    rig.noteOn (60);

    rig.render (400, 400);
    EXPECT_TRUE (rig.voice->isVoiceActive());
    const auto out = rig.render (512);
    EXPECT_FALSE (rig.voice->isVoiceActive());
    EXPECT_TRUE (rig.voice->getAmpEnvelope().isIdle());
    // Nothing after the sample where the envelope reached 0.
    for (int i = 100; i < 512; ++i)
        ASSERT_EQ (out.getSample (0, i), 0.0f) << i;
}

TEST (SynthVoice, ReleaseFreesTheVoiceAfterReleaseTimeTimesTheLevel)
{
    VoiceTestRig rig;
    rig.shared.ampSustain = 0.5f;
    rig.shared.ampRelease = 0.1f;
    rig.noteOn (60);
    rig.render (4800);
    rig.noteOff (60);

    // From 0.5 at 1/(0.1 s) the release takes 50 ms = 2400 samples.
    rig.render (2350, 2350);
    EXPECT_TRUE (rig.voice->isVoiceActive());
    rig.render (100, 100);
    EXPECT_FALSE (rig.voice->isVoiceActive());
}

TEST (SynthVoice, StopWithoutTailOffSilencesAtOnce)
{
    VoiceTestRig rig;
    rig.noteOn (60);
    rig.render (1000);
    rig.noteOff (60, false);
    EXPECT_FALSE (rig.voice->isVoiceActive());

    const auto out = rig.render (1000);
    EXPECT_EQ (out.getMagnitude (0, out.getNumSamples()), 0.0f);
}

TEST (SynthVoice, AnIdleVoiceAddsNothing)
{
    VoiceTestRig rig;
    juce::AudioBuffer<float> buffer (2, 256);
    for (int ch = 0; ch < 2; ++ch)
        juce::FloatVectorOperations::fill (buffer.getWritePointer (ch), 0.25f, 256);

    rig.voice->renderNextBlock (buffer, 0, 256);
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < 256; ++i)
            ASSERT_EQ (buffer.getSample (ch, i), 0.25f);
}

TEST (SynthVoice, AOneChannelBufferGetsTheLeftChannel)
{
    const auto renderWith = [] (int channels)
    {
        VoiceTestRig rig;
        rig.shared.unisonCount = 3;
        rig.shared.unisonDetune = 20.0f;
        rig.shared.unisonWidth = 1.0f;
        rig.noteOn (64);
        return rig.render (2048, 512, channels);
    };

    const auto stereo = renderWith (2);
    const auto mono = renderWith (1);
    ASSERT_EQ (mono.getNumChannels(), 1);
    for (int i = 0; i < 2048; ++i)
        ASSERT_EQ (mono.getSample (0, i), stereo.getSample (0, i)) << i;
    EXPECT_GT (stereo.getMagnitude (0, 0, 2048), 0.1f);
}

//==============================================================================
TEST (SynthVoice, TheFirstNoteNeverGlidesAndLaterNotesGlidePerBlock)
{
    VoiceTestRig rig;
    rig.shared.portamento = 0.1f;
    rig.noteOn (60);
    EXPECT_FLOAT_EQ (rig.voice->getGlideNote(), 60.0f);

    rig.render (512);
    rig.noteOff (60, false);
    rig.noteOn (72);
    EXPECT_FLOAT_EQ (rig.voice->getGlideNote(), 60.0f);

    rig.render (512);
    const double step = 1.0 - std::exp (-(512.0 / rate) / 0.1);
    EXPECT_NEAR (rig.voice->getGlideNote(), 60.0 + 12.0 * step, 1.0e-4);

    rig.render (48000);
    EXPECT_FLOAT_EQ (rig.voice->getGlideNote(), 72.0f);
}

TEST (SynthVoice, WithoutPortamentoThePitchJumps)
{
    VoiceTestRig rig;
    rig.noteOn (60);
    rig.render (512);
    rig.noteOff (60, false);
    rig.noteOn (72);
    EXPECT_FLOAT_EQ (rig.voice->getGlideNote(), 72.0f);
}

//==============================================================================
TEST (SynthVoice, FmAtZeroLeavesOscillatorAUnchanged)
{
    const auto renderWith = [] (float fm, int bShape)
    {
        VoiceTestRig rig;
        rig.shared.oscA.useWavetable = true;
        rig.shared.oscA.wavetableIndex = 6; // "Formant Vowel"
        rig.shared.oscA.wavetablePosition = 0.4f;
        rig.shared.oscB.shape = bShape;
        rig.shared.oscB.octave = 1;
        rig.shared.oscB.level = 0.0f; // B is heard only through A's phase
        rig.shared.oscAFmAmount = fm;
        rig.noteOn (57);
        return rig.render (4096);
    };

    const auto plain = renderWith (0.0f, 0);
    const auto otherModulator = renderWith (0.0f, 2);
    const auto modulated = renderWith (0.5f, 0);

    float largestChange = 0.0f;
    for (int i = 0; i < 4096; ++i)
    {
        ASSERT_EQ (plain.getSample (0, i), otherModulator.getSample (0, i)) << i;
        largestChange = std::max (largestChange, std::abs (plain.getSample (0, i) - modulated.getSample (0, i)));
    }
    EXPECT_GT (largestChange, 0.1f);
}

TEST (SynthVoice, OnlyTheMidPassesTheFilters)
{
    // Two detuned copies panned hard left and right leave a strong side signal; a filter
    // closed to 20 Hz removes the mid but must leave the side alone.
    VoiceTestRig rig;
    rig.shared.oscA.shape = 0;
    rig.shared.unisonCount = 2;
    rig.shared.unisonDetune = 30.0f;
    rig.shared.unisonWidth = 1.0f;
    rig.shared.filter1.mix = 1.0f;
    rig.shared.filter1.cutoff = 20.0f;
    rig.noteOn (81);
    const auto out = rig.render (24000);

    double mid = 0.0, side = 0.0;
    for (int i = 4800; i < 24000; ++i)
    {
        const double l = out.getSample (0, i), r = out.getSample (1, i);
        mid += (l + r) * (l + r) / 4.0;
        side += (l - r) * (l - r) / 4.0;
    }
    EXPECT_LT (mid, side * 1.0e-3);
    EXPECT_GT (side / (24000 - 4800), 0.05);
}

//==============================================================================
TEST (SynthVoice, CycleCapturePlaysTheCapturedSoundAtTheKeysPitch)
{
    VoiceTestRig rig;
    std::vector<float> cycle (2048);
    for (int i = 0; i < 2048; ++i)
        cycle[(size_t) i] = (float) std::sin (2.0 * 3.14159265358979323846 * i / 2048.0);
    rig.capture.publishAnalysis (cycle.data(), std::vector<float> (256, 0.0f), rate, 220.0f, 1.0f);

    rig.shared.oscA.level = 0.0f;
    rig.shared.captureEnabled = true;
    rig.shared.captureLevel = 1.0f;
    rig.noteOn (72); // an octave above the root's key

    EXPECT_NEAR (centsBetween (measuredFrequency (rig.render (48000)), 440.0), 0.0, 0.5);
}

TEST (SynthVoice, ASoundingVoiceAdoptsANewCaptureAtItsNextBlock)
{
    VoiceTestRig rig;
    rig.shared.oscA.level = 0.0f;
    rig.shared.captureEnabled = true;
    rig.shared.captureLevel = 1.0f;
    rig.noteOn (60);

    const auto before = rig.render (2048);
    EXPECT_EQ (before.getMagnitude (0, 0, 2048), 0.0f); // nothing captured yet

    std::vector<float> cycle (2048);
    for (int i = 0; i < 2048; ++i)
        cycle[(size_t) i] = (float) std::sin (2.0 * 3.14159265358979323846 * i / 2048.0);
    rig.capture.publishAnalysis (cycle.data(), std::vector<float> (256, 0.0f), rate, 330.0f, 1.0f);

    const auto after = rig.render (48000);
    EXPECT_EQ (rig.voice->getCapturePlayer().getCycle(), rig.capture.getCurrentWavetable());
    EXPECT_NEAR (centsBetween (measuredFrequency (after), 330.0), 0.0, 0.5);
}

TEST (SynthVoice, CaptureDisabledIsSilentEvenWithASound)
{
    VoiceTestRig rig;
    std::vector<float> cycle (2048, 0.0f);
    cycle[10] = 1.0f;
    rig.capture.publishAnalysis (cycle.data(), std::vector<float> (4800, 0.7f), rate, 220.0f, 1.0f);
    rig.shared.oscA.level = 0.0f;
    rig.shared.captureLevel = 1.0f;
    rig.shared.captureGranular = true;
    rig.noteOn (60);
    const auto out = rig.render (4800);
    EXPECT_EQ (out.getMagnitude (0, 4800), 0.0f);
}

} // namespace

namespace
{

TEST (SynthVoiceSweep, EveryTableAndWarpSoundsFiniteAndBounded)
{
    // Four copies at level 1 can add up to 4 / sqrt(4) = 2 on one side; nothing may exceed it.
    for (int table = 0; table < halvo::WavetableLibrary::numTables; ++table)
    {
        for (int warp = 0; warp <= 5; ++warp)
        {
            SCOPED_TRACE (testing::Message() << "table " << table << ", warp " << warp);
            VoiceTestRig rig;
            rig.shared.oscA.useWavetable = true;
            rig.shared.oscA.wavetableIndex = table;
            rig.shared.oscA.wavetablePosition = 0.6f;
            rig.shared.oscA.warpMode = warp;
            rig.shared.oscA.warpAmount = 0.7f;
            rig.shared.oscB.level = 0.0f;
            rig.shared.oscAFmAmount = 0.5f;
            rig.shared.unisonCount = 4;
            rig.shared.unisonDetune = 15.0f;
            rig.shared.unisonWidth = 1.0f;
            rig.noteOn (48);
            const auto out = rig.render (2048);

            for (int ch = 0; ch < 2; ++ch)
            {
                const float* samples = out.getReadPointer (ch);
                for (int i = 0; i < out.getNumSamples(); ++i)
                    ASSERT_TRUE (std::isfinite (samples[i])) << "channel " << ch << ", sample " << i;
                EXPECT_LE (halvo::test::peak (samples, out.getNumSamples()), 2.0f + 1.0e-4f);
                EXPECT_GT (rms (samples, out.getNumSamples()), 0.01);
            }
        }
    }
}

} // namespace
