#include "wavetable/WavetableBank.h"

#include <cstddef>
#include <initializer_list>

namespace halvo
{

WavetableBank::WavetableBank()
{
    for (const auto shape : { WaveShape::Sine, WaveShape::Saw, WaveShape::Square })
        tables[(size_t) shape].buildFromShape (shape);
}

const Wavetable& WavetableBank::get (WaveShape shape) const noexcept
{
    return forShapeIndex ((int) shape);
}

const Wavetable& WavetableBank::forShapeIndex (int shapeIndex) const noexcept
{
    if (shapeIndex < 0 || shapeIndex >= (int) tables.size())
        return tables[(size_t) WaveShape::Saw];

    return tables[(size_t) shapeIndex];
}

} // namespace halvo
