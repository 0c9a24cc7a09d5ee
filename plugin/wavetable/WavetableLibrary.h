#pragma once

#include "wavetable/MorphTable.h"

#include <array>

namespace halvo
{

/** The twenty built-in morph tables, in the order of the oscillators' "Wavetable" choices. */
class WavetableLibrary
{
public:
    static constexpr int numTables = 20;

    /** Draws and band-limits all twenty tables in index order. */
    WavetableLibrary();

    /** The same with a chosen band-limiting method; the direct one serves as the reference
        that checks and times the FFT. */
    explicit WavetableLibrary (BandLimiter::Method method);

    /** The table at an index clamped to 0..19. */
    const MorphTable& get (int index) const noexcept;

private:
    std::array<MorphTable, numTables> tables;
};

} // namespace halvo
