// What the global effects cost: the fixed drive and delay and all seven rack slots switched on,
// run on stereo blocks of 512 samples at 48 kHz, parameters read every block as in the audio
// callback. The "realtime" counter is the seconds of audio processed per second of one core.

#include "engine/ParameterLayout.h"
#include "fx/EffectsSection.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace
{

using namespace halvo;

constexpr double sampleRate = 48000.0;
constexpr int blockSize = 512;

/** Owns the synthesizer's parameter tree without voices or wavetables. */
class ParameterHost final : public juce::AudioProcessor
{
public:
    ParameterHost()
        : juce::AudioProcessor (BusesProperties().withOutput ("Output", juce::AudioChannelSet::stereo(), true)),
          parameters (*this, nullptr, "FX_BENCH", buildParameterLayout())
    {
    }

    void set (const char* id, float value)
    {
        auto* parameter = parameters.getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
    }

    juce::AudioProcessorValueTreeState parameters;

    const juce::String getName() const override { return "FX bench host"; }
    void prepareToPlay (double, int) override {}
    void releaseResources() override {}
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override {}
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
    bool hasEditor() const override { return false; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}
    void getStateInformation (juce::MemoryBlock&) override {}
    void setStateInformation (const void*, int) override {}
};

void processEveryEffect (benchmark::State& state)
{
    ParameterHost host;
    for (const auto* id : { "rackEqOn", "rackCompOn", "rackDistOn", "rackSatOn", "rackChorOn", "rackDelayOn", "rackRevOn" })
        host.set (id, 1.0f);

    // Every band of the EQ active, so that none of the slots takes its do-nothing path.
    host.set ("rackEqLow", 3.0f);
    host.set ("rackEqBell", -4.0f);
    host.set ("rackEqHigh", 2.0f);
    host.set ("fxDriveMix", 0.3f);
    host.set ("fxDelayMix", 0.3f);

    EffectsSection effects (host.parameters);
    effects.prepare (sampleRate);

    // A steady two-tone signal, refreshed every block, as the voices would deliver it.
    juce::AudioBuffer<float> source (2, blockSize), buffer (2, blockSize);
    for (int c = 0; c < 2; ++c)
        for (int i = 0; i < blockSize; ++i)
            source.setSample (c, i, 0.3f * std::sin (0.05f * (float) i * (float) (c + 1)) + 0.1f * std::sin (0.31f * (float) i));

    for (auto _ : state)
    {
        buffer.makeCopyOf (source, true);
        effects.processFixedEffects (buffer, blockSize);
        effects.processRack (buffer, blockSize);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
    }

    state.counters["realtime"] = benchmark::Counter ((double) state.iterations() * blockSize / sampleRate,
                                                     benchmark::Counter::kIsRate);
}

BENCHMARK (processEveryEffect)->Unit (benchmark::kMicrosecond);

} // namespace
