#include "engine/HalvoSynthAudioProcessor.h"

#include <gtest/gtest.h>

namespace
{

using Set = juce::AudioChannelSet;

TEST (ProcessorHost, FixedAnswersToTheHost)
{
    std::unique_ptr<juce::AudioProcessor> processor (createPluginFilter());
    ASSERT_NE (dynamic_cast<halvo::HalvoSynthAudioProcessor*> (processor.get()), nullptr);

    EXPECT_EQ (processor->getName(), "HALVO SYNTHESIZER");
    EXPECT_TRUE (processor->acceptsMidi());
    EXPECT_FALSE (processor->producesMidi());
    EXPECT_FALSE (processor->isMidiEffect());
    EXPECT_EQ (processor->getTailLengthSeconds(), 0.0);
    EXPECT_TRUE (processor->hasEditor());
}

TEST (ProcessorHost, BusesAreAStereoOutputAndADisabledCaptureInput)
{
    halvo::HalvoSynthAudioProcessor processor;

    ASSERT_EQ (processor.getBusCount (false), 1);
    ASSERT_EQ (processor.getBusCount (true), 1);

    auto* output = processor.getBus (false, 0);
    EXPECT_EQ (output->getName(), "Output");
    EXPECT_EQ (output->getCurrentLayout(), Set::stereo());
    EXPECT_TRUE (output->isEnabled());

    auto* input = processor.getBus (true, 0);
    EXPECT_EQ (input->getName(), "Capture Input");
    EXPECT_EQ (input->getDefaultLayout(), Set::stereo());
    EXPECT_FALSE (input->isEnabled());
}

TEST (ProcessorHost, BusLayoutsAcceptMonoOrStereoOnly)
{
    halvo::HalvoSynthAudioProcessor processor;

    struct Case
    {
        Set input;
        Set output;
        bool supported;
    };

    const Case cases[] = {
        { Set::disabled(), Set::stereo(), true },
        { Set::disabled(), Set::mono(), true },
        { Set::stereo(), Set::stereo(), true },
        { Set::mono(), Set::stereo(), true },
        { Set::create5point1(), Set::stereo(), false },
        { Set::disabled(), Set::create5point1(), false },
        { Set::disabled(), Set::disabled(), false },
        { Set::stereo(), Set::quadraphonic(), false },
    };

    for (const auto& c : cases)
    {
        juce::AudioProcessor::BusesLayout layout;
        layout.inputBuses.add (c.input);
        layout.outputBuses.add (c.output);
        EXPECT_EQ (processor.isBusesLayoutSupported (layout), c.supported)
            << "input " << c.input.getDescription() << ", output " << c.output.getDescription();
    }

    juce::AudioProcessor::BusesLayout withoutInputBus;
    withoutInputBus.outputBuses.add (Set::stereo());
    EXPECT_TRUE (processor.isBusesLayoutSupported (withoutInputBus));
}

} // namespace
