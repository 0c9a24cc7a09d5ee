#pragma once

namespace halvo
{

/** The seven effect slots of the rack; the value is the slot's index in the rack's records
    and in the rack order. */
enum class FxSlot : int
{
    Eq = 0,
    Comp = 1,
    Dist = 2,
    Sat = 3,
    Chor = 4,
    Delay = 5,
    Rev = 6
};

inline constexpr int numFxSlots = 7;

} // namespace halvo
