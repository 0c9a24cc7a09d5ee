#include "engine/InputBusRecorder.h"

#include <thread>

namespace halvo
{

void InputBusRecorder::waitForAudioThread() const noexcept
{
    while (audioThreadInside.load())
        std::this_thread::yield();
}

bool InputBusRecorder::start (int numSamples, double sampleRate)
{
    if (numSamples <= 0 || state.load() == recording)
        return false;

    // A take left uncollected is replaced; make sure no block is still in record() first.
    state.store (idle);
    waitForAudioThread();

    recordingBuffer.setSize (1, numSamples, false, true, false);
    recordingBuffer.clear();
    recordingSampleRate = sampleRate;
    length.store (numSamples);
    writePosition.store (0);
    state.store (recording);
    return true;
}

bool InputBusRecorder::stopEarly() noexcept
{
    int expected = recording;
    return state.compare_exchange_strong (expected, recorded);
}

bool InputBusRecorder::collect (juce::AudioBuffer<float>& destination, double& sampleRate)
{
    if (state.load() != recorded)
        return false;

    waitForAudioThread();

    const int numRecorded = juce::jlimit (0, recordingBuffer.getNumSamples(), writePosition.load());
    destination.setSize (1, numRecorded);
    if (numRecorded > 0)
        destination.copyFrom (0, 0, recordingBuffer, 0, 0, numRecorded);

    sampleRate = recordingSampleRate;
    state.store (idle);
    return true;
}

void InputBusRecorder::record (const juce::AudioBuffer<float>& buffer, int numInputChannels, int numSamples) noexcept
{
    audioThreadInside.store (true);

    if (state.load() == recording)
    {
        const int total = length.load();
        int position = writePosition.load (std::memory_order_relaxed);

        if (numInputChannels <= 0 || numSamples <= 0 || recordingBuffer.getNumSamples() <= 0)
        {
            state.store (idle);
        }
        else
        {
            const int channels = std::min (numInputChannels, buffer.getNumChannels());
            const int count = std::min (numSamples, total - position);
            auto* destination = recordingBuffer.getWritePointer (0);
            const float scale = 1.0f / static_cast<float> (numInputChannels);

            for (int k = 0; k < count; ++k)
            {
                float sum = 0.0f;
                for (int c = 0; c < channels; ++c)
                    sum += buffer.getSample (c, k);

                destination[position++] = sum * scale;
            }

            writePosition.store (position);

            // An early stop by the editor stands: only a full take is marked here.
            if (position >= total)
            {
                int expected = recording;
                state.compare_exchange_strong (expected, recorded);
            }
        }
    }

    audioThreadInside.store (false);
}

} // namespace halvo
