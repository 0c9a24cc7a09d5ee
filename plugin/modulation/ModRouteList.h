#pragma once

#include "modulation/ModulationTypes.h"

#include <juce_core/juce_core.h>

#include <vector>

namespace halvo
{

/** One connection the user made, kept by name so that it survives changes to the numeric
    identifiers and can be saved as text. */
struct UserModRoute
{
    juce::String sourceKey;
    juce::String destinationKey;
    float depth = 0.0f;
    bool enabled = true;
};

/** The user's routes in the order they were created, and the edits the editor makes to them.

    Message thread only. The audio thread never sees this list: after every change the owner
    fills a RouteSnapshot from it (fillSnapshot) and publishes that. The edits that take a
    parameter ID address routes through the knob's destination, so a knob reaches every route
    to its destination whatever the route's source. */
class ModRouteList
{
public:
    static constexpr int maxRoutes = 24;

    const std::vector<UserModRoute>& getRoutes() const noexcept { return routes; }
    int size() const noexcept { return (int) routes.size(); }

    /** Takes over a list as it was loaded; the loader has already dropped unknown keys. */
    void replaceAll (std::vector<UserModRoute> newRoutes);
    void clear() noexcept;

    /** A source chip dropped on the knob of parameterId. An existing route between the two is
        re-armed (enabled, depth 0.5) rather than duplicated; otherwise a new one is appended
        unless the list is full. Returns false when nothing changed: an unknown source or knob,
        or a full list. */
    bool createFromDrop (const juce::String& sourceKey, const juce::String& parameterId);

    /** The drag on a knob's modulation ring: sets the depth of the last route to the knob's
        destination, enabled or not, clamped to -1..1. Returns false when there is none. */
    bool setDepthForParameter (const juce::String& parameterId, float value);

    /** Depth of the route at index, clamped to -1..1. Returns false for an index outside the list. */
    bool setRouteDepth (int index, float depth);

    /** Erases the route at index; later routes move up one place. Returns false for an index
        outside the list. */
    bool removeRoute (int index);

    /** Erases the routes at positions remembered earlier (for example when a menu opened),
        from the last to the first so that the earlier positions stay valid; positions no
        longer inside the list are skipped. Returns whether anything was erased. */
    bool removeRoutesAt (const std::vector<int>& positions);

    /** Positions, in list order, of the routes whose destination is that of the knob of
        parameterId; empty for a parameter without a destination. */
    std::vector<int> routesForParameter (const juce::String& parameterId) const;

    /** Writes the routes in numeric form: routes with a key missing from the tables are left
        out, at most RouteSnapshot::maxRoutes are written and disabled ones are kept (the
        matrices skip them). The version is left to the caller, who bumps it once the slots
        are complete. */
    void fillSnapshot (RouteSnapshot& snapshot) const noexcept;

private:
    std::vector<UserModRoute> routes;
};

} // namespace halvo
