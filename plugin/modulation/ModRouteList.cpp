#include "modulation/ModRouteList.h"

#include "modulation/ModulationNames.h"

#include <algorithm>

namespace halvo
{

namespace
{
    constexpr float depthOnCreation = 0.5f;

    float clampDepth (float depth) noexcept
    {
        return juce::jlimit (-1.0f, 1.0f, depth);
    }

    bool leadsTo (const UserModRoute& route, const ModDestInfo* destination) noexcept
    {
        return findDestByName (route.destinationKey) == destination;
    }
} // namespace

void ModRouteList::replaceAll (std::vector<UserModRoute> newRoutes)
{
    routes = std::move (newRoutes);
}

void ModRouteList::clear() noexcept
{
    routes.clear();
}

bool ModRouteList::createFromDrop (const juce::String& sourceKey, const juce::String& parameterId)
{
    const auto* destination = findDestByApvtsId (parameterId);
    const auto* source = findSourceByName (sourceKey);

    if (destination == nullptr || source == nullptr)
        return false;

    for (auto& route : routes)
    {
        if (route.sourceKey == source->key && route.destinationKey == destination->key)
        {
            route.enabled = true;
            route.depth = depthOnCreation;
            return true;
        }
    }

    if (size() >= maxRoutes)
        return false;

    routes.push_back ({ source->key, destination->key, depthOnCreation, true });
    return true;
}

bool ModRouteList::setDepthForParameter (const juce::String& parameterId, float value)
{
    const auto* destination = findDestByApvtsId (parameterId);
    if (destination == nullptr)
        return false;

    const auto last = std::find_if (routes.rbegin(), routes.rend(),
                                    [destination] (const UserModRoute& route) { return leadsTo (route, destination); });
    if (last == routes.rend())
        return false;

    last->depth = clampDepth (value);
    return true;
}

bool ModRouteList::setRouteDepth (int index, float depth)
{
    if (! juce::isPositiveAndBelow (index, size()))
        return false;

    routes[(size_t) index].depth = clampDepth (depth);
    return true;
}

bool ModRouteList::removeRoute (int index)
{
    if (! juce::isPositiveAndBelow (index, size()))
        return false;

    routes.erase (routes.begin() + index);
    return true;
}

bool ModRouteList::removeRoutesAt (const std::vector<int>& positions)
{
    bool removedAny = false;

    for (auto position = positions.rbegin(); position != positions.rend(); ++position)
        removedAny = removeRoute (*position) || removedAny;

    return removedAny;
}

std::vector<int> ModRouteList::routesForParameter (const juce::String& parameterId) const
{
    std::vector<int> positions;

    if (const auto* destination = findDestByApvtsId (parameterId))
        for (int i = 0; i < size(); ++i)
            if (leadsTo (routes[(size_t) i], destination))
                positions.push_back (i);

    return positions;
}

void ModRouteList::fillSnapshot (RouteSnapshot& snapshot) const noexcept
{
    int count = 0;

    for (const auto& route : routes)
    {
        if (count >= RouteSnapshot::maxRoutes)
            break;

        const auto* source = findSourceByName (route.sourceKey);
        const auto* destination = findDestByName (route.destinationKey);
        if (source == nullptr || destination == nullptr)
            continue;

        auto& slot = snapshot.routes[(size_t) count++];
        slot.source = static_cast<ModulationSourceId> (source->id);
        slot.destination = static_cast<ModulationDestination> (destination->id);
        slot.depth = route.depth;
        slot.enabled = route.enabled;
    }

    snapshot.count = count;
}

} // namespace halvo
