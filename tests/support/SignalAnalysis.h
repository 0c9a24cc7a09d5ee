#pragma once

#include <algorithm>
#include <cmath>
#include <vector>

namespace halvo::test
{

/** Fundamental frequency from the rising zero crossings of a periodic signal, with linear
    interpolation between samples. Suits signals with one rising crossing per period (sine,
    saw); gives 0 when fewer than two crossings are found. */
inline double frequencyFromZeroCrossings (const float* samples, int numSamples, double sampleRate)
{
    double first = -1.0, last = -1.0;
    int crossings = 0;

    for (int i = 1; i < numSamples; ++i)
    {
        if (samples[i - 1] <= 0.0f && samples[i] > 0.0f)
        {
            const double t = (double) (i - 1) + (double) samples[i - 1] / (double) (samples[i - 1] - samples[i]);
            if (crossings == 0)
                first = t;
            last = t;
            ++crossings;
        }
    }

    if (crossings < 2)
        return 0.0;

    return (double) (crossings - 1) * sampleRate / (last - first);
}

inline double centsBetween (double frequency, double reference)
{
    return 1200.0 * std::log2 (frequency / reference);
}

inline double rms (const float* samples, int numSamples)
{
    double sum = 0.0;
    for (int i = 0; i < numSamples; ++i)
        sum += (double) samples[i] * (double) samples[i];
    return numSamples > 0 ? std::sqrt (sum / numSamples) : 0.0;
}

inline float peak (const float* samples, int numSamples)
{
    float result = 0.0f;
    for (int i = 0; i < numSamples; ++i)
        result = std::max (result, std::abs (samples[i]));
    return result;
}

/** Amplitude of the component at a frequency (a single-bin DFT over the whole signal). */
inline double amplitudeAt (const float* samples, int numSamples, double frequency, double sampleRate)
{
    double re = 0.0, im = 0.0;
    const double w = 2.0 * 3.14159265358979323846 * frequency / sampleRate;
    for (int i = 0; i < numSamples; ++i)
    {
        re += samples[i] * std::cos (w * i);
        im -= samples[i] * std::sin (w * i);
    }
    return 2.0 * std::sqrt (re * re + im * im) / numSamples;
}

} // namespace halvo::test
