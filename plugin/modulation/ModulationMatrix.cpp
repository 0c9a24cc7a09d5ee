#include "modulation/ModulationMatrix.h"

namespace halvo
{

void ModulationMatrix::addRoute (ModulationSourceId source, ModulationDestination destination, float depth, bool enabled) noexcept
{
    if ((int) routes.size() >= maxRoutes)
        return;

    routes.push_back ({ source, destination, depth, enabled });
}

void ModulationMatrix::truncateRoutes (int count) noexcept
{
    if (count >= 0 && count < (int) routes.size())
        routes.resize ((size_t) count);
}

void ModulationMatrix::evaluate() noexcept
{
    sums.fill (0.0f);

    for (const auto& route : routes)
    {
        const auto sourceIndex = (size_t) route.source;
        const auto destinationIndex = (size_t) route.destination;

        if (! route.enabled || sourceIndex >= sources.size() || destinationIndex >= sums.size())
            continue;

        if (const auto* source = sources[sourceIndex])
            sums[destinationIndex] += source->getValue() * route.depth;
    }
}

} // namespace halvo
