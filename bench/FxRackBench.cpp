// What the global effects cost: the fixed drive and delay and all seven rack slots switched on,
// run on stereo blocks of 512 samples at 48 kHz, parameters read every block as in the audio
// callback. The "realtime" counter is the seconds of audio processed per second of one core.

#include "engine/HalvoSynthAudioProcessor.h"
#include "fx/EffectsSection.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace
{

using namespace halvo;

constexpr double sampleRate = 48000.0;
constexpr int blockSize = 512;

/** Sets a parameter the way the host would, through its normalised value. */
void setParameter (juce::AudioProcessorValueTreeState& parameters, const char* id, float value)
{
    auto* parameter = parameters.getParameter (id);
    parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
}

void processEveryEffect (benchmark::State& state)
{
    // The processor only lends its parameter tree; the section under test is a separate one.
    HalvoSynthAudioProcessor host;
    auto& parameters = host.getParameters();
    for (const auto* id : { "rackEqOn", "rackCompOn", "rackDistOn", "rackSatOn", "rackChorOn", "rackDelayOn", "rackRevOn" })
        setParameter (parameters, id, 1.0f);

    // Every band of the EQ active, so that none of the slots takes its do-nothing path.
    setParameter (parameters, "rackEqLow", 3.0f);
    setParameter (parameters, "rackEqBell", -4.0f);
    setParameter (parameters, "rackEqHigh", 2.0f);
    setParameter (parameters, "fxDriveMix", 0.3f);
    setParameter (parameters, "fxDelayMix", 0.3f);

    EffectsSection effects (parameters);
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
