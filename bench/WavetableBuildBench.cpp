#include "wavetable/BandLimiter.h"
#include "wavetable/WavetableBank.h"
#include "wavetable/WavetableLibrary.h"

#include <benchmark/benchmark.h>

#include <random>
#include <vector>

namespace
{

using halvo::BandLimiter;

/** What the processor's constructor pays: the three basic shapes and the twenty morph tables
    (266 frames), from fresh memory each time. The direct method is the reference transform. */
void buildBankAndLibrary (benchmark::State& state, BandLimiter::Method method)
{
    for (auto _ : state)
    {
        const halvo::WavetableBank bank;
        const halvo::WavetableLibrary library (method);
        benchmark::DoNotOptimize (bank.get (halvo::WaveShape::Saw).getLevel (0));
        benchmark::DoNotOptimize (library.get (19).getFrame (15).getLevel (10));
    }
}

BENCHMARK_CAPTURE (buildBankAndLibrary, fft, BandLimiter::Method::fft)
    ->Unit (benchmark::kMillisecond);

BENCHMARK_CAPTURE (buildBankAndLibrary, direct, BandLimiter::Method::direct)
    ->Unit (benchmark::kMillisecond)
    ->Iterations (1);

/** One captured cycle band-limited into a wavetable, as the capture engine does per analysis. */
void buildFromCapturedCycle (benchmark::State& state, BandLimiter::Method method)
{
    std::mt19937 random (1);
    std::uniform_real_distribution<float> noise (-1.0f, 1.0f);
    std::vector<float> cycle ((size_t) halvo::Wavetable::cycleLength);
    for (auto& sample : cycle)
        sample = noise (random);

    BandLimiter bandLimiter (method);
    halvo::Wavetable table;

    for (auto _ : state)
    {
        table.buildFromCycle (cycle.data(), (int) cycle.size(), bandLimiter);
        benchmark::DoNotOptimize (table.getLevel (0));
    }
}

BENCHMARK_CAPTURE (buildFromCapturedCycle, fft, BandLimiter::Method::fft)
    ->Unit (benchmark::kMicrosecond);

BENCHMARK_CAPTURE (buildFromCapturedCycle, direct, BandLimiter::Method::direct)
    ->Unit (benchmark::kMillisecond);

} // namespace
