// What the voices cost: blocks of 512 samples at 48 kHz rendered by one or sixteen voices,
// with one or sixteen unison copies on all three oscillators. The "realtime" counter is the
// seconds of audio rendered per second of one core.

#include "capture/CaptureEngine.h"
#include "engine/VoiceSharedState.h"
#include "voice/SynthSound.h"
#include "voice/SynthVoice.h"
#include "wavetable/SharedWavetables.h"

#include <benchmark/benchmark.h>

namespace
{

using namespace halvo;

constexpr double sampleRate = 48000.0;
constexpr int blockSize = 512;

/** A demanding patch: three morphing table oscillators with warp and FM, sub and noise, both
    filters at 24 dB in series with drive. */
void setUpHeavyPatch (VoiceSharedState& shared, int unisonCount)
{
    const auto& tables = SharedWavetables::instance();
    shared.wavetableBank = &tables.bank;
    shared.wavetableLibrary = &tables.library;

    int table = 4;
    for (auto* osc : { &shared.oscA, &shared.oscB, &shared.oscC })
    {
        osc->useWavetable = true;
        osc->wavetableIndex = table++;
        osc->wavetablePosition = 0.35f;
        osc->level = 0.6f;
        osc->warpMode = 1;
        osc->warpAmount = 0.3f;
    }

    shared.oscAFmAmount = 0.2f;
    shared.subLevel = 0.3f;
    shared.noiseLevel = 0.05f;
    shared.unisonCount = unisonCount;
    shared.unisonDetune = 25.0f;
    shared.unisonWidth = 0.8f;
    shared.ampSustain = 1.0f;

    shared.filter1.slope = 1;
    shared.filter1.cutoff = 3000.0f;
    shared.filter1.resonance = 0.4f;
    shared.filter1.drive = 0.3f;
    shared.filter2.enabled = true;
    shared.filter2.slope = 1;
    shared.filter2.mode = 1;
    shared.filter2.cutoff = 80.0f;
}

void renderVoices (benchmark::State& state)
{
    const int numVoices = (int) state.range (0);
    const int unisonCount = (int) state.range (1);

    VoiceSharedState shared;
    CaptureEngine capture;
    shared.captureEngine = &capture;
    setUpHeavyPatch (shared, unisonCount);

    juce::Synthesiser synth;
    synth.addSound (new SynthSound());
    for (int i = 0; i < numVoices; ++i)
        synth.addVoice (new SynthVoice (shared));
    synth.setCurrentPlaybackSampleRate (sampleRate);

    for (int i = 0; i < numVoices; ++i)
        synth.noteOn (1, 40 + 3 * i, 0.8f);

    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer noMidi;

    for (auto _ : state)
    {
        buffer.clear();
        synth.renderNextBlock (buffer, noMidi, 0, blockSize);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
    }

    state.counters["realtime"] = benchmark::Counter ((double) state.iterations() * blockSize / sampleRate,
                                                     benchmark::Counter::kIsRate);
}

BENCHMARK (renderVoices)
    ->ArgNames ({ "voices", "unison" })
    ->Args ({ 1, 1 })
    ->Args ({ 1, 16 })
    ->Args ({ 16, 1 })
    ->Args ({ 16, 16 })
    ->Unit (benchmark::kMicrosecond);

} // namespace
