#include "wavetable/BandLimiter.h"
#include "wavetable/SharedWavetables.h"
#include "wavetable/WavetableGenerators.h"

#include "CycleAnalysis.h"

#include <gtest/gtest.h>

#include <random>

namespace
{

using namespace halvo;
using namespace halvo::test;

const WavetableLibrary& library()
{
    return SharedWavetables::instance().library;
}

const WavetableBank& bank()
{
    return SharedWavetables::instance().bank;
}

/** The largest difference between two wavetables over all levels, guard samples included. */
float largestDifference (const Wavetable& a, const Wavetable& b)
{
    float largest = 0.0f;
    for (int level = 0; level < Wavetable::numLevels; ++level)
        largest = std::max (largest, test::largestDifference (a.getLevel (level), b.getLevel (level)));
    return largest;
}

/** The largest difference between a level and a reference cycle scaled to a peak of 1. */
float largestDifferenceFromShape (const float* level, const std::vector<float>& shape)
{
    const float peak = peakOf (shape.data());
    float largest = 0.0f;
    for (int n = 0; n < cycleLength; ++n)
        largest = std::max (largest, std::abs (level[n] - shape[(size_t) n] / peak));
    return largest;
}

std::vector<float> sineCycle()
{
    return cycleOf ([] (int n) { return std::sin (phaseOf (n)); });
}

TEST (WavetableLibrary, TablesAreInChoiceOrderWithTheirFrameCounts)
{
    struct Entry
    {
        const char* name;
        int frames;
    };

    const Entry expected[WavetableLibrary::numTables] = {
        { "Basic Saw", 1 },       { "Basic Square", 1 },   { "Basic Sine", 1 },     { "Basic Triangle", 1 },
        { "Harmonic Sweep", 16 }, { "Odd / Even", 16 },    { "Formant Vowel", 16 }, { "Folded Sine", 16 },
        { "Reese Engine", 16 },   { "Growl Bass", 16 },    { "Dirty Dubstep", 16 }, { "Sub Round", 16 },
        { "FM Metal", 16 },       { "Vowel Talker", 16 },  { "Fold Screamer", 16 }, { "Sync Saw", 16 },
        { "Metal Clang", 16 },    { "Reese Wide", 16 },    { "Bit Dirt", 16 },      { "Sub Punch", 16 },
    };

    for (int i = 0; i < WavetableLibrary::numTables; ++i)
    {
        EXPECT_EQ (library().get (i).getName(), expected[i].name) << "table " << i;
        EXPECT_EQ (library().get (i).getFrameCount(), expected[i].frames) << expected[i].name;
    }

    EXPECT_EQ (&library().get (-1), &library().get (0));
    EXPECT_EQ (&library().get (20), &library().get (19));
    EXPECT_EQ (&library().get (1000), &library().get (19));
}

TEST (WavetableLibrary, EveryFrameIsNormalisedWithoutDcAndGuarded)
{
    for (int t = 0; t < WavetableLibrary::numTables; ++t)
    {
        const auto& table = library().get (t);

        for (int frame = 0; frame < table.getFrameCount(); ++frame)
            for (int level = 0; level < Wavetable::numLevels; ++level)
            {
                const float* samples = table.getFrame (frame).getLevel (level);
                const auto where = table.getName() + " frame " + juce::String (frame) + " level " + juce::String (level);

                ASSERT_EQ (samples[cycleLength], samples[0]) << where;
                // A level without harmonics is left silent: only the poorest levels can be, e.g.
                // "Sync Saw" with four ramps per cycle has nothing below harmonic 4, and the
                // fundamental of some "Vowel Talker" frames lies far below every formant.
                const float peak = peakOf (samples);
                if (peak > 1.0e-9f)
                    ASSERT_NEAR (peak, 1.0f, 1.0e-6f) << where;
                else
                    ASSERT_GE (level, 9) << where;
                ASSERT_NEAR (meanOf (samples), 0.0, 1.0e-6) << where;
            }
    }
}

TEST (WavetableBank, ShapesAreIndexedByWaveShapeAndFallBackToSaw)
{
    const float* sine = bank().get (WaveShape::Sine).getLevel (0);
    const float* saw = bank().get (WaveShape::Saw).getLevel (0);
    const float* square = bank().get (WaveShape::Square).getLevel (0);

    // Told apart by shape at a quarter cycle: the sine peaks; the square sits on its plateau
    // and the saw half way up its ramp, both below their overshooting peaks (pi/4 against
    // 0.926 for the square, against 1.852 for the saw).
    EXPECT_NEAR (sine[512], 1.0f, 1.0e-6f);
    EXPECT_NEAR (square[512], 0.848f, 0.005f);
    EXPECT_NEAR (saw[512], 0.424f, 0.005f);

    EXPECT_EQ (&bank().forShapeIndex (0), &bank().get (WaveShape::Sine));
    EXPECT_EQ (&bank().forShapeIndex (1), &bank().get (WaveShape::Saw));
    EXPECT_EQ (&bank().forShapeIndex (2), &bank().get (WaveShape::Square));

    for (const int outOfRange : { -1, 3, 99 })
        EXPECT_EQ (&bank().forShapeIndex (outOfRange), &bank().get (WaveShape::Saw)) << outOfRange;
}

TEST (WavetableLibrary, BasicTablesMatchTheBankShapes)
{
    struct Case
    {
        int table;
        WaveShape shape;
    };

    for (const auto& c : { Case { 0, WaveShape::Saw }, Case { 1, WaveShape::Square }, Case { 2, WaveShape::Sine } })
        EXPECT_LT (largestDifference (library().get (c.table).getFrame (0), bank().get (c.shape)), 5.0e-6f)
            << library().get (c.table).getName();
}

TEST (WavetableLibrary, EndFramesOfSweepsAreTheBasicShapes)
{
    struct Case
    {
        int table;
        int frame;
        int basicTable;
    };

    const Case cases[] = {
        { 5, 0, 1 },   // "Odd / Even" starts as the square...
        { 5, 15, 0 },  // ...and ends as the saw
        { 4, 0, 2 },   // "Harmonic Sweep" starts with the fundamental alone...
        { 4, 15, 0 },  // ...and ends with all 1024 saw harmonics
        { 9, 0, 2 },   // no growl modulation at the start
        { 12, 0, 2 },  // no FM at the start
        { 14, 0, 2 },  // the fold is the identity for a gain of 1
    };

    for (const auto& c : cases)
        EXPECT_LT (largestDifference (library().get (c.table).getFrame (c.frame), library().get (c.basicTable).getFrame (0)), 1.0e-6f)
            << library().get (c.table).getName() << " frame " << c.frame;
}

TEST (WavetableLibrary, FirstFramesFollowTheirClosedForms)
{
    struct Case
    {
        int table;
        std::vector<float> shape;
        float tolerance;
    };

    const Case cases[] = {
        { 2, sineCycle(), 1.0e-6f },
        { 3, cycleOf ([] (int n) { return std::asin (std::sin (phaseOf (n))); }), 1.0e-3f }, // 1/k^2 tail beyond 1023
        { 7, cycleOf ([] (int n) { return std::sin (1.5707963 * std::sin (phaseOf (n))); }), 1.0e-6f },
        { 11, cycleOf ([] (int n) { return std::sin (phaseOf (n)) + 0.05 * std::sin (2.0 * phaseOf (n)) + 0.02 * std::sin (3.0 * phaseOf (n)); }), 1.0e-6f },
        { 19, cycleOf ([] (int n) { return std::tanh (std::sin (phaseOf (n))); }), 1.0e-6f },
    };

    for (const auto& c : cases)
        EXPECT_LT (largestDifferenceFromShape (library().get (c.table).getFrame (0).getLevel (0), c.shape), c.tolerance)
            << library().get (c.table).getName();
}

TEST (WavetableLibrary, SyncSawStartsAsThePlainRampSaw)
{
    // Frame 0 restarts once per cycle: the naive ramp from -1 to 1, a saw that falls at the
    // cycle start, i.e. the bank's saw half a cycle later. Sampling the ramp adds a cosine of
    // 2/2048 to every harmonic, which sums to an error growing with the harmonic count, so the
    // comparison stays with the poor levels.
    const auto& syncSaw = library().get (15).getFrame (0);
    const auto& saw = bank().get (WaveShape::Saw);

    for (int level = 6; level < Wavetable::numLevels; ++level)
    {
        const float tolerance = 2.0f * (float) (Wavetable::highestHarmonic (level) + 1) / (float) cycleLength;

        for (int n = 0; n < cycleLength; ++n)
            ASSERT_NEAR (syncSaw.getLevel (level)[n], saw.getLevel (level)[(n + cycleLength / 2) % cycleLength], tolerance)
                << "level " << level << " sample " << n;
    }

    Wavetable ramp;
    const auto rampCycle = cycleOf ([] (int n) { return 2.0 * n / cycleLength - 1.0; });
    ramp.buildFromCycle (rampCycle.data(), cycleLength);
    EXPECT_LT (largestDifference (syncSaw, ramp), 1.0e-6f);
}

TEST (WavetableGenerators, AdditiveFramesSumTheirPartialsInFloat)
{
    // The generators take their sines from a table; the cycle must still be the plain float
    // sum of sin (2 pi k n / 2048) evaluated one by one.
    struct Case
    {
        const char* name;
        void (*generator) (int, float, float*) noexcept;
        float position;
        float (*amplitude) (int harmonic, float position);
        int highest;
    };

    const Case cases[] = {
        { "saw", generators::genSaw, 0.0f, [] (int k, float) { return (k % 2 == 1 ? 1.0f : -1.0f) / (float) k; }, 1024 },
        { "triangle", generators::genTriangle, 0.0f, [] (int k, float) { return k % 2 == 0 ? 0.0f : ((k / 2) % 2 == 0 ? 1.0f : -1.0f) / (float) (k * k); }, 1023 },
        { "odd / even", generators::genOddEven, 0.4f, [] (int k, float x) { return k % 2 == 1 ? 1.0f / (float) k : -x / (float) k; }, 1024 },
        { "formant", generators::genFormant, 0.5f, [] (int k, float x)
          {
              const float b = ((float) k - (37.0f * x + 3.0f)) / 6.0f;
              return (std::exp (-0.5f * b * b) + 0.25f) / (float) k;
          }, 64 },
    };

    for (const auto& c : cases)
    {
        std::vector<float> expected ((size_t) cycleLength, 0.0f);
        for (int k = 1; k <= c.highest; ++k)
        {
            const float a = c.amplitude (k, c.position);
            for (int n = 0; n < cycleLength; ++n)
                expected[(size_t) n] += a * (float) std::sin (2.0 * std::numbers::pi * k * n / cycleLength);
        }

        std::vector<float> drawn ((size_t) cycleLength, 0.0f);
        c.generator (0, c.position, drawn.data());

        EXPECT_LT (largestDifferenceFromShape (drawn.data(), expected), 1.0e-6f) << c.name;
    }
}

/** The FFT must reproduce the direct sums to within float rounding, for every frame of every
    table and for cycles like those the capture engine produces. */
TEST (WavetableLibrary, FftBandLimitingMatchesTheDirectTransform)
{
    const WavetableLibrary reference (BandLimiter::Method::direct);

    for (int t = 0; t < WavetableLibrary::numTables; ++t)
    {
        const auto& fast = library().get (t);
        const auto& direct = reference.get (t);
        ASSERT_EQ (fast.getFrameCount(), direct.getFrameCount());

        for (int frame = 0; frame < fast.getFrameCount(); ++frame)
            EXPECT_LT (largestDifference (fast.getFrame (frame), direct.getFrame (frame)), 1.0e-6f)
                << fast.getName() << " frame " << frame;
    }

    std::mt19937 random (7);
    std::uniform_real_distribution<float> noise (-1.0f, 1.0f);

    const std::vector<float> captured[] = {
        cycleOf ([&] (int) { return noise (random); }),
        cycleOf ([&] (int n) { return 0.6 + 0.3 * std::sin (phaseOf (n)) + 0.05 * noise (random); }),
        cycleOf ([] (int n) { return n % 512 < 40 ? 1.0 : 0.0; }),
        cycleOf ([] (int n) { return n == 1000 ? -1.0 : 0.0; }),
        cycleOf ([] (int n) { return n % 2 == 0 ? 0.5 : -0.5; }),
    };

    BandLimiter directLimiter (BandLimiter::Method::direct);

    for (size_t i = 0; i < std::size (captured); ++i)
    {
        Wavetable fast, direct;
        fast.buildFromCycle (captured[i].data(), cycleLength);
        direct.buildFromCycle (captured[i].data(), cycleLength, directLimiter);
        EXPECT_LT (largestDifference (fast, direct), 1.0e-6f) << "captured cycle " << i;
    }
}

} // namespace
