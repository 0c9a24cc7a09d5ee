#include "modulation/LFO.h"
#include "support/SignalAnalysis.h"
#include "support/VoiceTestRig.h"

#include <gtest/gtest.h>

namespace
{

using namespace halvo;
using test::VoiceTestRig;

constexpr double rate = VoiceTestRig::sampleRate;

/** A voice rig whose shared state also carries LFOs, macros and a route snapshot. */
struct ModulatedRig : VoiceTestRig
{
    ModulatedRig()
    {
        for (size_t i = 0; i < lfos.size(); ++i)
            shared.lfos[i] = &lfos[i];
        for (size_t i = 0; i < macros.size(); ++i)
            shared.macros[i] = &macros[i];
        shared.routeSnapshot = &snapshot;
        // The voice takes its sources when it is prepared, as the processor's voices do.
        synth.setCurrentPlaybackSampleRate (sampleRate);
    }

    void addUserRoute (ModulationSourceId source, ModulationDestination destination, float depth, bool enabled = true)
    {
        snapshot.routes[(size_t) snapshot.count++] = { source, destination, depth, enabled };
        ++snapshot.version;
    }

    std::array<LFO, 10> lfos;
    std::array<ValueModulationSource, 8> macros;
    RouteSnapshot snapshot;
};

double sineFrequency (const juce::AudioBuffer<float>& out, int skip = 2400)
{
    return test::frequencyFromZeroCrossings (out.getReadPointer (0) + skip, out.getNumSamples() - skip, rate);
}

TEST (SynthVoiceModulation, TheNineFixedRoutesComeFirstInParameterOrder)
{
    ModulatedRig rig;
    const auto& matrix = rig.voice->getModulationMatrix();
    ASSERT_EQ (matrix.getNumRoutes(), SynthVoice::numFixedRoutes);

    using Id = ModulationSourceId;
    using Dest = ModulationDestination;
    const std::pair<Id, Dest> expected[] = {
        { Id::LFO1, Dest::F1_CUTOFF },  { Id::LFO1, Dest::OSCA_PITCH }, { Id::LFO2, Dest::OSCB_PITCH },
        { Id::VEL, Dest::F1_CUTOFF },   { Id::LFO1, Dest::OSCA_WTPOS }, { Id::LFO2, Dest::OSCB_WTPOS },
        { Id::ENV2, Dest::OSCA_WTPOS }, { Id::ENV2, Dest::F1_CUTOFF },  { Id::LFO2, Dest::F1_CUTOFF },
    };
    for (int i = 0; i < SynthVoice::numFixedRoutes; ++i)
    {
        EXPECT_EQ (matrix.getRoute (i).source, expected[i].first) << i;
        EXPECT_EQ (matrix.getRoute (i).destination, expected[i].second) << i;
        EXPECT_TRUE (matrix.getRoute (i).enabled);
    }

    // A new sample rate rewires the sources but keeps the list.
    rig.synth.setCurrentPlaybackSampleRate (44100.0);
    EXPECT_EQ (matrix.getNumRoutes(), SynthVoice::numFixedRoutes);
    EXPECT_EQ (matrix.getSource (Id::LFO3), &rig.lfos[2]);
    EXPECT_EQ (matrix.getSource (Id::MAC8), &rig.macros[7]);
}

TEST (SynthVoiceModulation, AFixedDepthBendsOscillatorAByTwelveSemitonesPerUnit)
{
    ModulatedRig rig;
    rig.shared.oscA.shape = 0;
    rig.lfos[0].setShape (LFO::square);
    rig.lfos[0].setRate (0.01f);
    rig.lfos[0].processBlock (1); // +1 for a long while
    rig.shared.fixedDepths[1] = 1.0f; // LFO1 -> OSCA_PITCH: +12 semitones
    rig.noteOn (57);

    EXPECT_NEAR (test::centsBetween (sineFrequency (rig.render (24000)), 440.0), 0.0, 0.5);
}

TEST (SynthVoiceModulation, UserRoutesFollowTheSnapshotVersion)
{
    ModulatedRig rig;
    rig.shared.oscA.shape = 0;
    rig.macros[0].setValue (1.0f);
    rig.noteOn (69);
    rig.render (512);

    rig.addUserRoute (ModulationSourceId::MAC1, ModulationDestination::OSCA_PITCH, -1.0f / 12.0f);
    rig.render (512);
    EXPECT_EQ (rig.voice->getModulationMatrix().getNumRoutes(), SynthVoice::numFixedRoutes + 1);
    EXPECT_NEAR (test::centsBetween (sineFrequency (rig.render (24000), 0), 415.3047), 0.0, 0.5);

    // A disabled route is kept in the list but adds nothing.
    rig.snapshot.routes[0].enabled = false;
    ++rig.snapshot.version;
    EXPECT_NEAR (test::centsBetween (sineFrequency (rig.render (24000)), 440.0), 0.0, 0.5);
}

TEST (SynthVoiceModulation, AVoiceAppliesAtMostTwentyThreeUserRoutes)
{
    ModulatedRig rig;
    for (int i = 0; i < RouteSnapshot::maxRoutes; ++i)
        rig.addUserRoute (ModulationSourceId::MAC1, ModulationDestination::PAN, 0.1f);
    rig.noteOn (60);
    rig.render (256);
    EXPECT_EQ (rig.voice->getModulationMatrix().getNumRoutes(), ModulationMatrix::maxRoutes);
}

TEST (SynthVoiceModulation, ModulatedLevelsStopAtOneAndAHalf)
{
    const auto levelWith = [] (float macro)
    {
        ModulatedRig rig;
        rig.shared.oscA.level = 1.0f;
        rig.macros[0].setValue (macro);
        rig.addUserRoute (ModulationSourceId::MAC1, ModulationDestination::OSCA_LEVEL, 1.0f);
        rig.noteOn (57);
        const auto out = rig.render (9600);
        return test::rms (out.getReadPointer (0) + 4800, 4800);
    };

    const double plain = levelWith (0.0f);
    EXPECT_NEAR (levelWith (0.5f) / plain, 1.5, 1.0e-3);
    EXPECT_NEAR (levelWith (1.0f) / plain, 1.5, 1.0e-3);
}

TEST (SynthVoiceModulation, VelocityBendAndNoteSourcesTakeTheNote)
{
    ModulatedRig rig;
    rig.queueMidi (juce::MidiMessage::pitchWheel (1, 0));
    rig.queueMidi (juce::MidiMessage::noteOn (1, 127, 0.5f));
    rig.render (64);

    const auto& matrix = rig.voice->getModulationMatrix();
    EXPECT_NEAR (matrix.getSource (ModulationSourceId::VEL)->getValue(), 0.5f, 1.0e-2f);
    EXPECT_FLOAT_EQ (matrix.getSource (ModulationSourceId::BEND)->getValue(), -1.0f);
    EXPECT_FLOAT_EQ (matrix.getSource (ModulationSourceId::NOTE)->getValue(), 1.0f);
    EXPECT_TRUE (matrix.getSource (ModulationSourceId::BEND)->isBipolar());
    EXPECT_FALSE (matrix.getSource (ModulationSourceId::NOTE)->isBipolar());

    rig.synth.handlePitchWheel (1, 16383);
    EXPECT_NEAR (matrix.getSource (ModulationSourceId::BEND)->getValue(), 1.0f, 1.0e-3f);
}

TEST (SynthVoiceModulation, CaptureAmplitudeFollowsTheCapturedSignal)
{
    ModulatedRig rig;
    std::vector<float> cycle (2048);
    for (int i = 0; i < 2048; ++i)
        cycle[(size_t) i] = i < 1024 ? 1.0f : -1.0f;
    rig.capture.publishAnalysis (cycle.data(), std::vector<float> (256, 0.0f), rate, 220.0f, 1.0f);
    rig.shared.oscA.level = 0.0f;
    rig.shared.captureEnabled = true;
    rig.shared.captureLevel = 0.5f;
    rig.noteOn (60);
    EXPECT_EQ (rig.voice->getCaptureAmplitude(), 0.0f);
    rig.render (4800);

    EXPECT_GT (rig.voice->getCaptureAmplitude(), 0.3f);
    EXPECT_LE (rig.voice->getCaptureAmplitude(), 0.5f + 1.0e-3f);
}

TEST (SynthVoiceModulation, ModulationEnvelopesRunWithTheNote)
{
    ModulatedRig rig;
    rig.shared.env2 = { 0.01f, 0.5f, 0.5f, 0.1f };
    rig.noteOn (60);
    rig.render (480, 480); // exactly the attack
    EXPECT_NEAR (rig.voice->getModulationEnvelope (0).getLevel(), 1.0f, 1.0e-3f);
    EXPECT_NEAR (rig.voice->getModulationMatrix().getSource (ModulationSourceId::ENV2)->getValue(), 1.0f, 1.0e-3f);

    rig.noteOff (60);
    rig.render (64, 64);
    EXPECT_EQ (rig.voice->getModulationEnvelope (0).getStage(), LinearEnvelope::release);
}

} // namespace
