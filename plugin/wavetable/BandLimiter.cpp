#include "wavetable/BandLimiter.h"

#include "wavetable/CycleMath.h"

#include <fftw3.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace halvo
{

namespace
{
    constexpr int numBins = BandLimiter::numHarmonics + 1;

    constexpr int highestHarmonicOfLevel (int level) noexcept
    {
        return std::max (1, BandLimiter::numHarmonics >> level);
    }

    /** FFTW's planner is not thread-safe, so the two plans are made once, under the guard of a
        function-local static, and afterwards only executed through the new-array functions,
        which are. FFTW_ESTIMATE keeps the plans (and so every rounding) the same on every run. */
    struct FftPlans
    {
        FftPlans()
        {
            auto* real = fftw_alloc_real ((size_t) BandLimiter::cycleLength);
            auto* spectrum = fftw_alloc_complex ((size_t) numBins);

            forward = fftw_plan_dft_r2c_1d (BandLimiter::cycleLength, real, spectrum, FFTW_ESTIMATE);
            inverse = fftw_plan_dft_c2r_1d (BandLimiter::cycleLength, spectrum, real, FFTW_ESTIMATE);

            fftw_free (spectrum);
            fftw_free (real);
        }

        ~FftPlans()
        {
            fftw_destroy_plan (inverse);
            fftw_destroy_plan (forward);
        }

        fftw_plan forward = nullptr;
        fftw_plan inverse = nullptr;
    };

    const FftPlans& fftPlans()
    {
        static const FftPlans plans;
        return plans;
    }

    /** The direct method's tables, cos and sin (2 pi i / 2048) evaluated plainly. */
    struct DirectTables
    {
        DirectTables()
        {
            for (int i = 0; i < BandLimiter::cycleLength; ++i)
            {
                cosine[(size_t) i] = std::cos (cycle::theta (i));
                sine[(size_t) i] = std::sin (cycle::theta (i));
            }
        }

        std::array<double, BandLimiter::cycleLength> cosine {};
        std::array<double, BandLimiter::cycleLength> sine {};
    };

    const DirectTables& directTables()
    {
        static const DirectTables tables;
        return tables;
    }

    fftw_complex* asFftwComplex (double* interleaved) noexcept
    {
        return reinterpret_cast<fftw_complex*> (interleaved);
    }
} // namespace

BandLimiter::BandLimiter (Method methodToUse)
    : method (methodToUse),
      cosineAmplitudes ((size_t) numBins, 0.0),
      sineAmplitudes ((size_t) numBins, 0.0)
{
    if (method == Method::fft)
    {
        fftPlans();
        realBuffer = fftw_alloc_real ((size_t) cycleLength);
        complexBuffer = reinterpret_cast<double*> (fftw_alloc_complex ((size_t) numBins));
    }
    else
    {
        directTables();
        runningSums.resize ((size_t) cycleLength);
    }
}

BandLimiter::~BandLimiter()
{
    fftw_free (complexBuffer);
    fftw_free (realBuffer);
}

void BandLimiter::process (const float* cycle, const std::array<float*, numLevels>& levels)
{
    if (method == Method::fft)
    {
        analyseWithFft (cycle);
        synthesiseWithFft (levels);
    }
    else
    {
        analyseDirectly (cycle);
        synthesiseDirectly (levels);
    }

    for (auto* level : levels)
        finishLevel (level);
}

void BandLimiter::analyseWithFft (const float* cycle)
{
    std::copy (cycle, cycle + cycleLength, realBuffer);
    fftw_execute_dft_r2c (fftPlans().forward, realBuffer, asFftwComplex (complexBuffer));

    // The forward transform gives X_m = sum x_j (cos - i sin), so a_m = Re X_m / 1024 and
    // b_m = -Im X_m / 1024.
    constexpr double scale = 1.0 / (double) numHarmonics;

    for (int m = 1; m < numBins; ++m)
    {
        cosineAmplitudes[(size_t) m] = complexBuffer[2 * m] * scale;
        sineAmplitudes[(size_t) m] = -complexBuffer[2 * m + 1] * scale;
    }
}

void BandLimiter::synthesiseWithFft (const std::array<float*, numLevels>& levels)
{
    // The inverse transform sums Y_0 + Y_1024 (-1)^n + 2 sum Re (Y_m e^(i 2 pi m n / 2048)), so
    // harmonic m < 1024 enters as Y_m = (a_m - i b_m) / 2 and harmonic 1024, whose sine term
    // vanishes on every sample, as Y_1024 = a_1024. The inverse plan overwrites its input, so
    // the spectrum is written again for every level.
    for (int level = 0; level < numLevels; ++level)
    {
        const int highest = highestHarmonicOfLevel (level);

        std::fill (complexBuffer, complexBuffer + 2 * numBins, 0.0);

        for (int m = 1; m <= std::min (highest, numHarmonics - 1); ++m)
        {
            complexBuffer[2 * m] = 0.5 * cosineAmplitudes[(size_t) m];
            complexBuffer[2 * m + 1] = -0.5 * sineAmplitudes[(size_t) m];
        }

        if (highest == numHarmonics)
            complexBuffer[2 * numHarmonics] = cosineAmplitudes[(size_t) numHarmonics];

        fftw_execute_dft_c2r (fftPlans().inverse, asFftwComplex (complexBuffer), realBuffer);

        std::transform (realBuffer, realBuffer + cycleLength, levels[(size_t) level],
                        [] (double sample) { return (float) sample; });
    }
}

void BandLimiter::analyseDirectly (const float* cycle)
{
    const auto& tables = directTables();
    const double* cosine = tables.cosine.data();
    const double* sine = tables.sine.data();
    constexpr int mask = cycleLength - 1;
    constexpr double scale = 1.0 / (double) numHarmonics;

    // Four harmonics at a time give eight independent running sums; each one still adds its
    // terms in the order j = 0..2047.
    constexpr int group = 4;
    static_assert (numHarmonics % group == 0);

    for (int first = 1; first <= numHarmonics; first += group)
    {
        double cosineSums[group] = {};
        double sineSums[group] = {};

        for (int j = 0; j < cycleLength; ++j)
        {
            const double x = (double) cycle[j];

            for (int g = 0; g < group; ++g)
            {
                const int index = ((first + g) * j) & mask;
                cosineSums[g] += x * cosine[index];
                sineSums[g] += x * sine[index];
            }
        }

        for (int g = 0; g < group; ++g)
        {
            cosineAmplitudes[(size_t) (first + g)] = scale * cosineSums[g];
            sineAmplitudes[(size_t) (first + g)] = scale * sineSums[g];
        }
    }
}

void BandLimiter::synthesiseDirectly (const std::array<float*, numLevels>& levels)
{
    const auto& tables = directTables();
    const double* cosine = tables.cosine.data();
    const double* sine = tables.sine.data();
    constexpr int mask = cycleLength - 1;

    // The levels are nested (each holds the harmonics of the next poorer one plus more), so the
    // sum of harmonics 1..H grows from the poorest level upwards and is rounded off whenever it
    // reaches a level's highest harmonic. Every sample adds its terms in ascending order, so
    // the result is bit for bit that of summing each level from harmonic 1 on its own.
    std::fill (runningSums.begin(), runningSums.end(), 0.0);
    int added = 0;

    for (int level = numLevels - 1; level >= 0; --level)
    {
        const int highest = highestHarmonicOfLevel (level);

        for (int m = added + 1; m <= highest; ++m)
        {
            const double a = cosineAmplitudes[(size_t) m];
            const double b = sineAmplitudes[(size_t) m];

            for (int n = 0; n < cycleLength; ++n)
            {
                const int index = (m * n) & mask;
                runningSums[(size_t) n] += a * cosine[index] + b * sine[index];
            }
        }

        added = highest;
        std::transform (runningSums.begin(), runningSums.end(), levels[(size_t) level],
                        [] (double sample) { return (float) sample; });
    }
}

void BandLimiter::finishLevel (float* level) noexcept
{
    cycle::normalisePeak (level, cycleLength);
    level[cycleLength] = level[0];
}

} // namespace halvo
