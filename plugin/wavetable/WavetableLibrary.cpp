#include "wavetable/WavetableLibrary.h"

#include "wavetable/WavetableGenerators.h"

#include <algorithm>
#include <cstddef>

namespace halvo
{

namespace
{
    struct TableRecipe
    {
        const char* name;
        int numFrames;
        void (*generator) (int, float, float*) noexcept;
    };

    // The order is that of the oscillators' "Wavetable" choices; do not reorder.
    constexpr TableRecipe recipes[WavetableLibrary::numTables] = {
        { "Basic Saw", 1, generators::genSaw },
        { "Basic Square", 1, generators::genSquare },
        { "Basic Sine", 1, generators::genSine },
        { "Basic Triangle", 1, generators::genTriangle },
        { "Harmonic Sweep", 16, generators::genHarmonicSweep },
        { "Odd / Even", 16, generators::genOddEven },
        { "Formant Vowel", 16, generators::genFormant },
        { "Folded Sine", 16, generators::genFoldedSine },
        { "Reese Engine", 16, generators::genReese },
        { "Growl Bass", 16, generators::genGrowl },
        { "Dirty Dubstep", 16, generators::genDirtyDubstep },
        { "Sub Round", 16, generators::genSubRound },
        { "FM Metal", 16, generators::genFmMetal },
        { "Vowel Talker", 16, generators::genVowelTalker },
        { "Fold Screamer", 16, generators::genFoldScreamer },
        { "Sync Saw", 16, generators::genSyncSaw },
        { "Metal Clang", 16, generators::genMetalClang },
        { "Reese Wide", 16, generators::genReeseWide },
        { "Bit Dirt", 16, generators::genBitDirt },
        { "Sub Punch", 16, generators::genSubPunch },
    };
} // namespace

WavetableLibrary::WavetableLibrary()
    : WavetableLibrary (BandLimiter::Method::fft)
{
}

WavetableLibrary::WavetableLibrary (BandLimiter::Method method)
{
    for (size_t i = 0; i < tables.size(); ++i)
        tables[i].build (recipes[i].numFrames, recipes[i].name, recipes[i].generator, method);
}

const MorphTable& WavetableLibrary::get (int index) const noexcept
{
    return tables[(size_t) std::clamp (index, 0, numTables - 1)];
}

} // namespace halvo
