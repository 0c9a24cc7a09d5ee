#include <benchmark/benchmark.h>

#include <juce_events/juce_events.h>

// JUCE's message manager and singletons exist for the whole run, as in the application, so
// that benchmarks may construct anything the processor constructs.
int main (int argc, char** argv)
{
    ::benchmark::Initialize (&argc, argv);
    if (::benchmark::ReportUnrecognizedArguments (argc, argv))
        return 1;

    const juce::ScopedJuceInitialiser_GUI juce;
    ::benchmark::RunSpecifiedBenchmarks();
    ::benchmark::Shutdown();
    return 0;
}
