#pragma once

#include "modulation/ModulationSource.h"
#include "modulation/ModulationTypes.h"

#include <array>
#include <cstddef>
#include <vector>

namespace halvo
{

/** Routes block-rate source values, times their depths, into the destination sums. Each voice
    owns one; the processor owns one more for the routes that reach the LFOs. */
class ModulationMatrix
{
public:
    static constexpr int maxRoutes = 32;

    ModulationMatrix() { routes.reserve ((size_t) maxRoutes); }

    /** Puts a source into its slot (null removes it). */
    void setSource (ModulationSourceId id, const ModulationSource* source) noexcept
    {
        sources[(size_t) id] = source;
    }

    const ModulationSource* getSource (ModulationSourceId id) const noexcept { return sources[(size_t) id]; }

    /** Appends a route unless the matrix already holds 32; the list never grows past its
        reserved room, so adding never allocates. */
    void addRoute (ModulationSourceId source, ModulationDestination destination, float depth, bool enabled) noexcept;

    /** Cuts the route list back to its first routes. */
    void truncateRoutes (int count) noexcept;

    void setDepth (int routeIndex, float depth) noexcept { routes[(size_t) routeIndex].depth = depth; }

    int getNumRoutes() const noexcept { return (int) routes.size(); }
    const ModulationRoute& getRoute (int index) const noexcept { return routes[(size_t) index]; }

    /** Clears the sums, then adds source value x depth for every enabled route whose source
        this matrix has. Polarity is the sources' own: unipolar sources add 0..depth. */
    void evaluate() noexcept;

    void clearSums() noexcept { sums.fill (0.0f); }

    float getSum (ModulationDestination destination) const noexcept { return sums[(size_t) destination]; }
    float getSum (int destination) const noexcept { return sums[(size_t) destination]; }
    const std::array<float, numModulationDestinations>& getSums() const noexcept { return sums; }

private:
    std::array<const ModulationSource*, numModulationSources> sources {};
    std::vector<ModulationRoute> routes;
    std::array<float, numModulationDestinations> sums {};
};

} // namespace halvo
