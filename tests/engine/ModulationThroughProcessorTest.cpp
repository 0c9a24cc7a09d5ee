#include "support/ProcessorTestHelpers.h"
#include "support/SignalAnalysis.h"

#include <atomic>
#include <thread>

namespace
{

using namespace halvo;
using test::setParameter;

constexpr double sampleRate = 48000.0;
constexpr int blockSize = 480;

class ModulationThroughProcessor : public ::testing::Test
{
protected:
    void SetUp() override { processor.prepareToPlay (sampleRate, blockSize); }

    /** Renders blocks and returns the left channel. */
    std::vector<float> render (int blocks, juce::MidiBuffer midi = {})
    {
        std::vector<float> left;
        juce::AudioBuffer<float> buffer (2, blockSize);
        for (int b = 0; b < blocks; ++b)
        {
            processor.processBlock (buffer, midi);
            midi.clear();
            left.insert (left.end(), buffer.getReadPointer (0), buffer.getReadPointer (0) + blockSize);
        }
        return left;
    }

    std::vector<float> playNote (int note, int blocks)
    {
        juce::MidiBuffer midi;
        midi.addEvent (juce::MidiMessage::noteOn (1, note, 1.0f), 0);
        return render (blocks, midi);
    }

    HalvoSynthAudioProcessor processor;
};

/** The brightness of each 50 ms window: the energy of the first difference against the signal. */
std::vector<double> brightnessOverTime (const std::vector<float>& signal)
{
    std::vector<double> result;
    constexpr int window = 2400;
    for (size_t start = 4800; start + window <= signal.size(); start += window)
    {
        double energy = 0.0, edges = 0.0;
        for (size_t i = start + 1; i < start + window; ++i)
        {
            energy += (double) signal[i] * signal[i];
            const double d = (double) signal[i] - signal[i - 1];
            edges += d * d;
        }
        result.push_back (edges / std::max (energy, 1.0e-12));
    }
    return result;
}

TEST_F (ModulationThroughProcessor, AnLfoOnTheCutoffMovesTheSpectrumOverTime)
{
    setParameter (processor, "filterCutoff", 800.0f);
    setParameter (processor, "lfo1Rate", 1.0f);

    const auto still = brightnessOverTime (playNote (45, 200));
    const auto [stillLow, stillHigh] = std::minmax_element (still.begin(), still.end());
    EXPECT_LT (*stillHigh / *stillLow, 1.2);

    setParameter (processor, "modDepthLfo1Cutoff", 1.0f);
    const auto moving = brightnessOverTime (render (200));
    const auto [low, high] = std::minmax_element (moving.begin(), moving.end());
    EXPECT_GT (*high / *low, 5.0);
}

TEST_F (ModulationThroughProcessor, ARouteOnOscillatorAPitchBendsTwelveSemitonesPerUnit)
{
    setParameter (processor, "oscBLevel", 0.0f); // only the saw of A, for a clean period
    ASSERT_TRUE (processor.createRouteFromDrop ("MAC1", "oscAFineTune"));
    ASSERT_TRUE (processor.setRouteDepthForParameter ("oscAFineTune", 1.0f));
    setParameter (processor, "macro1", 0.5f);

    const auto out = playNote (57, 100);
    const double f = test::frequencyFromZeroCrossings (out.data() + 4800, (int) out.size() - 4800, sampleRate);
    EXPECT_NEAR (test::centsBetween (f, 220.0 * std::exp2 (0.5)), 0.0, 1.0);
}

TEST_F (ModulationThroughProcessor, EditorRouteOperations)
{
    EXPECT_FALSE (processor.createRouteFromDrop ("VELO", "filterCutoff")) << "a label is not a key";
    EXPECT_FALSE (processor.createRouteFromDrop ("VEL", "masterGain")) << "the knob has no destination";
    EXPECT_TRUE (processor.createRouteFromDrop ("VEL", "filterCutoff"));
    EXPECT_TRUE (processor.createRouteFromDrop ("LFO3", "filterCutoff"));
    ASSERT_EQ (processor.getModRoutes().size(), 2u);

    processor.setRouteDepthForParameter ("filterCutoff", -2.0f);
    EXPECT_EQ (processor.getModRoutes()[1].depth, -1.0f);
    EXPECT_EQ (processor.getModRoutes()[0].depth, 0.5f);

    processor.removeRoute (0);
    ASSERT_EQ (processor.getModRoutes().size(), 1u);
    EXPECT_EQ (processor.getModRoutes()[0].sourceKey, "LFO3");

    render (1);
    EXPECT_EQ (processor.getGlobalModulation().getRouteSnapshot().count, 1);
}

TEST_F (ModulationThroughProcessor, DrawnLfoShapesAndThePhaseReadout)
{
    processor.setLfoPoints (2, { { 0.0f, -1.0f }, { 1.0f, 1.0f } });
    processor.setLfoCustomActive (2, true);
    EXPECT_TRUE (processor.isLfoCustomActive (2));
    EXPECT_EQ (processor.getLfoPoints (2).size(), 2u);
    EXPECT_TRUE (processor.getLfoPoints (11).empty());

    setParameter (processor, "lfo2Rate", 2.0f);
    render (10); // 0.1 s at 2 Hz: a fifth of the cycle
    EXPECT_NEAR (processor.getLfoPhase (2), 0.2f, 1.0e-4f);
    EXPECT_NEAR (processor.getGlobalModulation().getLfo (1).getValue(), -1.0f + 2.0f * 0.2f * 256.0f / 255.0f, 1.0e-3f);
}

TEST_F (ModulationThroughProcessor, PublicationsFromAnotherThreadAreNeverSeenHalfWritten)
{
    // The editor's thread republishes two different route lists and drawn shapes as fast as
    // it can while this thread renders. Every list is uniform within itself, so a torn copy
    // would show routes of both.
    std::atomic<bool> stop { false };
    std::thread editor ([this, &stop]
    {
        int round = 0;
        while (! stop.load())
        {
            auto& routes = processor.getGlobalModulation().getRouteList();
            const bool even = (round % 2) == 0;
            std::vector<UserModRoute> list ((size_t) (even ? 3 : 7),
                                            UserModRoute { even ? "MAC1" : "LFO2", even ? "PAN" : "OSCA_LEVEL", even ? 0.25f : -0.5f, true });
            routes.replaceAll (list);
            processor.getGlobalModulation().publishRoutes();

            const float y = (float) (round % 21) / 10.0f - 1.0f;
            processor.setLfoPoints (1, { { 0.0f, y } });
            processor.setLfoCustomActive (1, true);
            ++round;
        }
    });

    juce::AudioBuffer<float> buffer (2, 64);
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, 1.0f), 0);

    for (int block = 0; block < 3000; ++block)
    {
        processor.processBlock (buffer, midi);
        midi.clear();

        const auto& snapshot = processor.getGlobalModulation().getRouteSnapshot();
        if (snapshot.count > 0)
        {
            const auto first = snapshot.routes[0];
            ASSERT_TRUE (snapshot.count == 3 || snapshot.count == 7) << snapshot.count;
            for (int i = 1; i < snapshot.count; ++i)
            {
                ASSERT_EQ (snapshot.routes[(size_t) i].source, first.source);
                ASSERT_EQ (snapshot.routes[(size_t) i].destination, first.destination);
                ASSERT_EQ (snapshot.routes[(size_t) i].depth, first.depth);
            }
            ASSERT_EQ (snapshot.count == 3, first.source == ModulationSourceId::MAC1);
        }

        // One point gives a flat table: any mixture of two publications would show as a value
        // off the grid of published levels.
        const auto& lfo = processor.getGlobalModulation().getLfo (0);
        if (lfo.isCustomInUse())
        {
            const float steps = (lfo.getValue() + 1.0f) * 10.0f;
            ASSERT_NEAR (steps, std::round (steps), 1.0e-4f) << lfo.getValue();
        }
    }

    stop = true;
    editor.join();
}

} // namespace
