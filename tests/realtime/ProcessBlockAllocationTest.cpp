#include "support/ProcessorTestHelpers.h"

#include <atomic>
#include <cstdlib>
#include <new>

// Every allocation made on a thread that is counting is tallied. Replacing the global
// operators affects the whole executable, which is why this test runs on its own.
namespace
{
    thread_local bool countingThisThread = false;
    std::atomic<int> allocationsWhileCounting { 0 };

    void* allocate (std::size_t size)
    {
        if (countingThisThread)
            allocationsWhileCounting.fetch_add (1);

        if (void* p = std::malloc (size == 0 ? 1 : size))
            return p;

        throw std::bad_alloc();
    }

    /** Counts the allocations the current thread makes while it lives. */
    struct AllocationCounter
    {
        AllocationCounter()
        {
            allocationsWhileCounting = 0;
            countingThisThread = true;
        }
        ~AllocationCounter() { countingThisThread = false; }
        int count() const { return allocationsWhileCounting.load(); }
    };
} // namespace

void* operator new (std::size_t size) { return allocate (size); }
void* operator new[] (std::size_t size) { return allocate (size); }
void operator delete (void* p) noexcept { std::free (p); }
void operator delete[] (void* p) noexcept { std::free (p); }
void operator delete (void* p, std::size_t) noexcept { std::free (p); }
void operator delete[] (void* p, std::size_t) noexcept { std::free (p); }

namespace
{

using namespace halvo;

TEST (ProcessBlockAllocation, NoAllocationOnceItIsPrepared)
{
    HalvoSynthAudioProcessor processor;
    processor.prepareToPlay (48000.0, 512);

    juce::AudioBuffer<float> buffer (2, 512);
    juce::MidiBuffer midi;
    midi.ensureSize (4096);

    // A first block settles everything that is created lazily.
    processor.processBlock (buffer, midi);

    // A captured sound, so that both capture modes really play.
    std::vector<float> cycle (2048);
    for (size_t i = 0; i < cycle.size(); ++i)
        cycle[i] = i < 1024 ? 0.5f : -0.5f;
    processor.getCaptureEngine().publishAnalysis (cycle.data(), std::vector<float> (24000, 0.3f), 48000.0, 220.0f, 1.0f);

    // User routes into the voices and into the LFOs, and a drawn LFO shape.
    for (const auto& [source, knob] : { std::pair { "LFO1", "oscAFineTune" }, { "MAC1", "filterCutoff" }, { "ENV2", "oscBLevel" },
                                        { "VEL", "filter2Drive" }, { "LFO3", "lfo1Rate" }, { "NOTE", "oscCWtPos" } })
        ASSERT_TRUE (processor.createRouteFromDrop (source, knob)) << source << " on " << knob;
    processor.setLfoPoints (1, { { 0.0f, -1.0f }, { 0.5f, 1.0f }, { 1.0f, -1.0f } });
    processor.setLfoCustomActive (1, true);

    // Each setting is kept for the rest of the run, so later blocks exercise everything at once.
    const std::pair<const char*, float> settings[] = {
        { "globalTranspose", 0.0f },  { "globalTranspose", 7.0f }, { "unisonCount", 16.0f },
        { "oscAWarpMode", 1.0f },     { "oscAWarpAmt", 0.5f },     { "oscAFmAmt", 0.4f },
        { "oscBWarpMode", 5.0f },     { "oscBWarpAmt", 0.7f },     { "oscCLevel", 0.5f },
        { "subOscLevel", 0.5f },      { "noiseLevel", 0.2f },      { "captureEnabled", 1.0f },
        { "captureMode", 1.0f },      { "filter1Slope", 1.0f },    { "filter1Drive", 0.5f },
        { "filter2Enabled", 1.0f },   { "filterRouting", 1.0f },   { "voicePortamento", 0.2f },
        { "modDepthLfo1Cutoff", 0.5f }, { "modDepthEnv2OscAWtPos", 0.3f }, { "lfo2Sync", 7.0f },
        { "lfo3Shape", 5.0f },        { "macro1", 0.7f },          { "arpOn", 1.0f },
        { "arpMode", 3.0f },          { "arpRate", 5.0f },         { "arpHold", 1.0f },
        { "arpHold", 0.0f },          { "arpOn", 0.0f },           { "fxDriveMix", 0.5f },
        { "fxDelayMix", 0.4f },       { "rackEqOn", 1.0f },        { "rackEqBell", 6.0f },
        { "rackCompOn", 1.0f },       { "rackDistOn", 1.0f },      { "rackSatOn", 1.0f },
        { "rackChorOn", 1.0f },       { "rackDelayOn", 1.0f },     { "rackRevOn", 1.0f },
    };

    for (const auto& [id, value] : settings)
    {
        test::setParameter (processor, id, value);

        for (int block = 0; block < 8; ++block)
        {
            midi.clear();
            midi.addEvent (juce::MidiMessage::noteOn (1, 48 + block, 0.7f), 3);
            midi.addEvent (juce::MidiMessage::controllerEvent (1, 1, 64), 100);
            midi.addEvent (juce::MidiMessage::noteOff (1, 47 + block), 200);
            processor.getKeyboardState().noteOn (1, 72 + block, 0.5f);
            processor.queueEditorMidi (juce::MidiMessage::pitchWheel (1, 9000 + block), 0);
            // A changed route is picked up by the next block, on the audio thread.
            processor.setRouteDepthForParameter ("filterCutoff", 0.1f * (float) block);

            const AllocationCounter counter;
            processor.processBlock (buffer, midi);
            EXPECT_EQ (counter.count(), 0) << "block " << block << " with " << id << " = " << value;
        }
    }
}

TEST (ProcessBlockAllocation, TheCounterSeesAllocations)
{
    const AllocationCounter counter;
    auto* p = new std::vector<int> (100);
    delete p;
    EXPECT_GE (counter.count(), 2);
}

} // namespace
