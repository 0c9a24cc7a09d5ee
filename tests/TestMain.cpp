#include <gtest/gtest.h>

#include <juce_events/juce_events.h>

// JUCE's message manager and singletons are set up once for the whole test run, as an
// application would; the processor and its parameter tree expect them.
int main (int argc, char** argv)
{
    ::testing::InitGoogleTest (&argc, argv);
    const juce::ScopedJuceInitialiser_GUI juce;
    return RUN_ALL_TESTS();
}
