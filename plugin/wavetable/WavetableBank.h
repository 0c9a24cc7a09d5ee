#pragma once

#include "wavetable/Wavetable.h"

#include <array>

namespace halvo
{

/** The three basic shapes (Sine, Saw, Square), indexed by WaveShape. */
class WavetableBank
{
public:
    /** Builds Sine, Saw and Square in that order. */
    WavetableBank();

    const Wavetable& get (WaveShape shape) const noexcept;

    /** The wavetable of a shape given as the raw parameter index; out-of-range indices read
        the saw. */
    const Wavetable& forShapeIndex (int shapeIndex) const noexcept;

private:
    std::array<Wavetable, 3> tables;
};

} // namespace halvo
