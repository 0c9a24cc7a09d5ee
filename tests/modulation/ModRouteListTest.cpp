#include "modulation/ModRouteList.h"
#include "modulation/ModulationNames.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{

using namespace halvo;

UserModRoute route (const char* source, const char* destination, float depth = 0.5f, bool enabled = true)
{
    return { source, destination, depth, enabled };
}

/** The list as "SRC>DST" texts, so a whole list compares in one expectation. */
std::vector<juce::String> describe (const ModRouteList& list)
{
    std::vector<juce::String> texts;
    for (const auto& r : list.getRoutes())
        texts.push_back (r.sourceKey + ">" + r.destinationKey);
    return texts;
}

TEST (ModRouteList, DropCreatesAnEnabledRouteAtHalfDepth)
{
    ModRouteList list;
    EXPECT_TRUE (list.createFromDrop ("LFO1", "filterCutoff"));
    EXPECT_TRUE (list.createFromDrop ("VEL", "lfo3Rate"));

    ASSERT_EQ (list.size(), 2);
    const auto& first = list.getRoutes()[0];
    EXPECT_EQ (first.sourceKey, "LFO1");
    EXPECT_EQ (first.destinationKey, "F1_CUTOFF");
    EXPECT_FLOAT_EQ (first.depth, 0.5f);
    EXPECT_TRUE (first.enabled);
    EXPECT_EQ (list.getRoutes()[1].destinationKey, "LFO3_RATE");
}

TEST (ModRouteList, DroppingTheSamePairAgainReArmsTheRoute)
{
    ModRouteList list;
    list.replaceAll ({ route ("ENV1", "OSCA_LEVEL"), route ("LFO1", "F1_CUTOFF", -0.8f, false), route ("LFO2", "F1_CUTOFF") });

    EXPECT_TRUE (list.createFromDrop ("LFO1", "filterCutoff"));

    EXPECT_EQ (describe (list), (std::vector<juce::String> { "ENV1>OSCA_LEVEL", "LFO1>F1_CUTOFF", "LFO2>F1_CUTOFF" }));
    EXPECT_FLOAT_EQ (list.getRoutes()[1].depth, 0.5f);
    EXPECT_TRUE (list.getRoutes()[1].enabled);
}

struct RejectedDrop
{
    const char* source;
    const char* parameterId;
};

TEST (ModRouteList, UnknownSourcesAndKnobsAreIgnored)
{
    const RejectedDrop drops[] {
        { "VELO", "filterCutoff" },  // a label, not a key
        { "lfo1", "filterCutoff" },
        { "", "filterCutoff" },
        { "LFO1", "masterGain" },    // a knob without a destination
        { "LFO1", "" },
        { "LFO1", "F1_CUTOFF" },     // a destination key, not a parameter ID
        { "LFO1", "lfo2Amount" },
    };

    for (const auto& drop : drops)
    {
        ModRouteList list;
        list.replaceAll ({ route ("LFO2", "F1_CUTOFF", -0.25f, false) });

        EXPECT_FALSE (list.createFromDrop (drop.source, drop.parameterId)) << drop.source << " on " << drop.parameterId;
        ASSERT_EQ (list.size(), 1);
        EXPECT_FLOAT_EQ (list.getRoutes()[0].depth, -0.25f);
        EXPECT_FALSE (list.getRoutes()[0].enabled);
    }
}

TEST (ModRouteList, HoldsAtMostTwentyFourRoutes)
{
    ModRouteList list;
    const auto& sources = modSourceTable();

    for (int i = 0; i < ModRouteList::maxRoutes; ++i)
        ASSERT_TRUE (list.createFromDrop (sources[(size_t) i].key, "oscBLevel"));

    EXPECT_FALSE (list.createFromDrop (sources[24].key, "oscBLevel"));
    EXPECT_FALSE (list.createFromDrop ("LFO1", "filterCutoff"));
    EXPECT_EQ (list.size(), ModRouteList::maxRoutes);

    // A full list still re-arms a route it already holds.
    ASSERT_TRUE (list.setRouteDepth (3, -1.0f));
    EXPECT_TRUE (list.createFromDrop (sources[3].key, "oscBLevel"));
    EXPECT_FLOAT_EQ (list.getRoutes()[3].depth, 0.5f);
    EXPECT_EQ (list.size(), ModRouteList::maxRoutes);
}

TEST (ModRouteList, RingDragSetsTheLastRouteToTheKnob)
{
    ModRouteList list;
    list.replaceAll ({ route ("LFO1", "F1_CUTOFF", 0.1f),
                       route ("ENV1", "F1_CUTOFF", 0.2f, false),
                       route ("LFO2", "OSCA_LEVEL", 0.3f) });

    // The last route to the knob's destination changes even though it is disabled.
    EXPECT_TRUE (list.setDepthForParameter ("filterCutoff", -0.6f));
    EXPECT_FLOAT_EQ (list.getRoutes()[0].depth, 0.1f);
    EXPECT_FLOAT_EQ (list.getRoutes()[1].depth, -0.6f);
    EXPECT_FLOAT_EQ (list.getRoutes()[2].depth, 0.3f);

    EXPECT_TRUE (list.setDepthForParameter ("filterCutoff", 3.0f));
    EXPECT_FLOAT_EQ (list.getRoutes()[1].depth, 1.0f);
    EXPECT_TRUE (list.setDepthForParameter ("filterCutoff", -7.0f));
    EXPECT_FLOAT_EQ (list.getRoutes()[1].depth, -1.0f);

    // No route to the knob, or no destination for it: nothing to change.
    EXPECT_FALSE (list.setDepthForParameter ("filter2Cutoff", 0.4f));
    EXPECT_FALSE (list.setDepthForParameter ("masterGain", 0.4f));
    EXPECT_FLOAT_EQ (list.getRoutes()[0].depth, 0.1f);
    EXPECT_FLOAT_EQ (list.getRoutes()[2].depth, 0.3f);
}

TEST (ModRouteList, RowDepthIsClampedAndBoundsChecked)
{
    ModRouteList list;
    list.replaceAll ({ route ("LFO1", "PAN", 0.0f) });

    EXPECT_TRUE (list.setRouteDepth (0, 1.5f));
    EXPECT_FLOAT_EQ (list.getRoutes()[0].depth, 1.0f);
    EXPECT_TRUE (list.setRouteDepth (0, -0.75f));
    EXPECT_FLOAT_EQ (list.getRoutes()[0].depth, -0.75f);

    EXPECT_FALSE (list.setRouteDepth (1, 0.2f));
    EXPECT_FALSE (list.setRouteDepth (-1, 0.2f));
    EXPECT_FLOAT_EQ (list.getRoutes()[0].depth, -0.75f);
}

TEST (ModRouteList, KnobMenuFindsItsRoutesByDestination)
{
    ModRouteList list;
    list.replaceAll ({ route ("LFO1", "F1_CUTOFF"), route ("ENV1", "OSCA_LEVEL"),
                       route ("MAC1", "F1_CUTOFF"), route ("NOSUCH", "F1_CUTOFF"),
                       route ("LFO2", "f1_cutoff") });

    EXPECT_EQ (list.routesForParameter ("filterCutoff"), (std::vector<int> { 0, 2, 3 }));
    EXPECT_EQ (list.routesForParameter ("oscALevel"), (std::vector<int> { 1 }));
    EXPECT_TRUE (list.routesForParameter ("oscBLevel").empty());
    EXPECT_TRUE (list.routesForParameter ("").empty());
}

std::vector<UserModRoute> sixRoutes()
{
    return { route ("LFO1", "PAN"), route ("LFO2", "PAN"), route ("LFO3", "PAN"),
             route ("LFO4", "PAN"), route ("LFO5", "PAN"), route ("LFO6", "PAN") };
}

TEST (ModRouteList, RemovingOneRouteMovesTheLaterOnesUp)
{
    ModRouteList list;
    list.replaceAll (sixRoutes());

    EXPECT_TRUE (list.removeRoute (2));
    EXPECT_FALSE (list.removeRoute (5));
    EXPECT_FALSE (list.removeRoute (-1));
    EXPECT_EQ (describe (list), (std::vector<juce::String> { "LFO1>PAN", "LFO2>PAN", "LFO4>PAN", "LFO5>PAN", "LFO6>PAN" }));
}

struct RemoveAllCase
{
    std::vector<int> positions;
    int routesDroppedBefore; // routes removed from the end after the positions were remembered
    std::vector<juce::String> expected;
};

TEST (ModRouteList, RemovingRememberedPositionsGoesFromLastToFirst)
{
    const RemoveAllCase cases[] {
        { { 1, 3, 5 }, 0, { "LFO1>PAN", "LFO3>PAN", "LFO5>PAN" } },
        { { 0, 1 }, 0, { "LFO3>PAN", "LFO4>PAN", "LFO5>PAN", "LFO6>PAN" } },
        // The list shrank while the menu was open: positions past its end are skipped.
        { { 1, 4, 5 }, 2, { "LFO1>PAN", "LFO3>PAN", "LFO4>PAN" } },
        { { 4, 5 }, 2, { "LFO1>PAN", "LFO2>PAN", "LFO3>PAN", "LFO4>PAN" } },
    };

    for (const auto& c : cases)
    {
        ModRouteList list;
        list.replaceAll (sixRoutes());
        for (int i = 0; i < c.routesDroppedBefore; ++i)
            list.removeRoute (list.size() - 1);

        const bool removedAny = list.removeRoutesAt (c.positions);
        EXPECT_EQ (describe (list), c.expected);
        EXPECT_EQ (removedAny, list.size() < 6 - c.routesDroppedBefore);
    }
}

TEST (ModRouteList, SnapshotSkipsUnknownKeysAndKeepsDisabledRoutes)
{
    ModRouteList list;
    list.replaceAll ({ route ("LFO1", "F1_CUTOFF", 0.5f),
                       route ("VELO", "F1_CUTOFF", 0.9f),       // label instead of key
                       route ("ENV2", "LFO4_AMT", -0.25f, false),
                       route ("MAC3", "CUTOFF", 0.9f),
                       route ("NOTE", "LFO10_PHASE", 1.0f) });

    RouteSnapshot snapshot;
    snapshot.version = 7;
    snapshot.count = 20;
    list.fillSnapshot (snapshot);

    ASSERT_EQ (snapshot.count, 3);
    EXPECT_EQ (snapshot.version, 7);

    const ModulationRoute expected[] {
        { ModulationSourceId::LFO1, ModulationDestination::F1_CUTOFF, 0.5f, true },
        { ModulationSourceId::ENV2, static_cast<ModulationDestination> (lfoAmountDestination (4)), -0.25f, false },
        { ModulationSourceId::NOTE, static_cast<ModulationDestination> (lfoPhaseDestination (10)), 1.0f, true },
    };

    for (size_t i = 0; i < std::size (expected); ++i)
    {
        SCOPED_TRACE (i);
        EXPECT_EQ (snapshot.routes[i].source, expected[i].source);
        EXPECT_EQ (snapshot.routes[i].destination, expected[i].destination);
        EXPECT_FLOAT_EQ (snapshot.routes[i].depth, expected[i].depth);
        EXPECT_EQ (snapshot.routes[i].enabled, expected[i].enabled);
    }
}

TEST (ModRouteList, SnapshotTakesTheFirstTwentyFourKnownRoutes)
{
    // 2 unknown routes up front, then 26 known ones with depths 0.00, 0.01, ...
    std::vector<UserModRoute> routes { route ("XLFO", "PAN"), route ("LFO1", "NOWHERE") };
    for (const auto& source : modSourceTable())
        routes.push_back (route (source.key, "OSCC_LEVEL", (float) source.id * 0.01f, source.id % 2 == 0));

    ModRouteList list;
    list.replaceAll (routes);

    RouteSnapshot snapshot;
    list.fillSnapshot (snapshot);

    ASSERT_EQ (snapshot.count, RouteSnapshot::maxRoutes);
    for (int i = 0; i < RouteSnapshot::maxRoutes; ++i)
    {
        const auto& slot = snapshot.routes[(size_t) i];
        EXPECT_EQ ((int) slot.source, i);
        EXPECT_EQ (slot.destination, ModulationDestination::OSCC_LEVEL);
        EXPECT_FLOAT_EQ (slot.depth, (float) i * 0.01f);
        EXPECT_EQ (slot.enabled, i % 2 == 0);
    }

    // Emptying the list publishes no routes.
    list.clear();
    list.fillSnapshot (snapshot);
    EXPECT_EQ (snapshot.count, 0);
}

} // namespace
