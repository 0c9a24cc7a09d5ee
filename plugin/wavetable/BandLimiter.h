#pragma once

#include <array>
#include <vector>

namespace halvo
{

/** Turns one 2048-sample cycle into the eleven band-limited levels of a wavetable.

    The cycle is analysed into the cosine and sine amplitudes of harmonics 1..1024
    (a_m = (1/1024) sum x_j cos (2 pi m j / 2048), b_m likewise with sin; harmonic 1024 takes
    the same 1/1024 scale, and DC is never computed). Level L is resynthesised in double
    precision from harmonics 1..max (1, 1024 >> L), rounded to float, scaled to a peak of 1 and
    given its guard sample.

    Two methods compute the same transform. The FFT method (the one the synthesizer uses) does
    one real FFT and eleven inverse real FFTs per cycle. The direct method evaluates the sums
    above over 2048-entry cosine and sine tables, harmonic by harmonic; it is the reference the
    FFT method is checked and timed against, and is some sixty times slower.

    An instance owns its working buffers, so one instance must not be used by two threads at
    once; separate instances may run in parallel. */
class BandLimiter
{
public:
    enum class Method
    {
        fft,
        direct
    };

    static constexpr int cycleLength = 2048;
    static constexpr int storedLength = cycleLength + 1;
    static constexpr int numHarmonics = cycleLength / 2;
    static constexpr int numLevels = 11;

    explicit BandLimiter (Method method = Method::fft);
    ~BandLimiter();

    BandLimiter (const BandLimiter&) = delete;
    BandLimiter& operator= (const BandLimiter&) = delete;

    Method getMethod() const noexcept { return method; }

    /** Band-limits the first 2048 samples of cycle into eleven levels of 2049 floats each
        (levels[0] is the richest). */
    void process (const float* cycle, const std::array<float*, numLevels>& levels);

private:
    void analyseWithFft (const float* cycle);
    void analyseDirectly (const float* cycle);
    void synthesiseWithFft (const std::array<float*, numLevels>& levels);
    void synthesiseDirectly (const std::array<float*, numLevels>& levels);

    static void finishLevel (float* level) noexcept;

    Method method;

    // a_m and b_m of harmonics 0..1024 (entry 0, DC, stays 0).
    std::vector<double> cosineAmplitudes, sineAmplitudes;

    // FFTW buffers (fftw_malloc, so aligned as the shared plans expect) or, for the direct
    // method, the running resynthesis sums.
    double* realBuffer = nullptr;
    double* complexBuffer = nullptr; // interleaved re/im pairs of harmonics 0..1024
    std::vector<double> runningSums;
};

} // namespace halvo
