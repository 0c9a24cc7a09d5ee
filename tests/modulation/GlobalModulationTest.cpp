#include "modulation/GlobalModulation.h"

#include <gtest/gtest.h>

namespace
{

using namespace halvo;

constexpr double sampleRate = 48000.0;
constexpr int blockSize = 480;

class GlobalModulationTest : public ::testing::Test
{
protected:
    void SetUp() override { modulation.prepare (sampleRate); }

    void run (int blocks = 1)
    {
        for (int i = 0; i < blocks; ++i)
            modulation.processBlock (settings, blockSize);
    }

    void addRoute (const char* source, const char* destination, float depth, bool enabled = true)
    {
        auto routes = modulation.getRoutes();
        routes.push_back ({ source, destination, depth, enabled });
        modulation.getRouteList().replaceAll (routes);
        modulation.publishRoutes();
    }

    GlobalModulation modulation;
    ModulationBlockSettings settings;
};

TEST_F (GlobalModulationTest, LfosAdvanceWithTheirSettingsAndReportTheirPhase)
{
    settings.lfos[2].rate = 5.0f;
    settings.lfos[2].shape = LFO::square;
    run();
    EXPECT_NEAR (modulation.getLfo (2).getPhase(), 5.0 * blockSize / sampleRate, 1.0e-9);
    EXPECT_FLOAT_EQ (modulation.getPhaseReadout (3), (float) modulation.getLfo (2).getPhase());
    EXPECT_EQ (modulation.getLfo (2).getValue(), 1.0f);
    EXPECT_EQ (modulation.getPhaseReadout (0), 0.0f);
    EXPECT_EQ (modulation.getPhaseReadout (11), 0.0f);
}

TEST_F (GlobalModulationTest, MacrosFollowTheirParameters)
{
    settings.macros[4] = 0.7f;
    run();
    EXPECT_FLOAT_EQ (modulation.getMacro (4).getValue(), 0.7f);
}

TEST_F (GlobalModulationTest, ARateRouteScalesEvenATempoSyncedRate)
{
    // "1/4" at 120 bpm is 2 Hz; a macro at 0.25 on LFO1_RATE doubles it to 4 Hz.
    settings.lfos[0].rate = 2.0f;
    settings.macros[0] = 0.25f;
    addRoute ("MAC1", "LFO1_RATE", 1.0f);
    run();
    EXPECT_FLOAT_EQ (modulation.getLfo (0).getRate(), 4.0f);

    settings.macros[0] = 1.0f; // x16, clamped to 50 Hz
    settings.lfos[0].rate = 20.0f;
    run();
    EXPECT_FLOAT_EQ (modulation.getLfo (0).getRate(), 50.0f);
}

TEST_F (GlobalModulationTest, AnAmountRouteOnlyEverReducesTheAmount)
{
    // LFO2 swings -1..1 into LFO1_AMT at depth -1: the amount moves between 0 and 1.
    settings.lfos[1].rate = 7.0f;
    settings.lfos[1].shape = LFO::sine;
    addRoute ("LFO2", "LFO1_AMT", -1.0f);

    float lowest = 1.0f, highest = 0.0f;
    for (int block = 0; block < 400; ++block)
    {
        run();
        lowest = std::min (lowest, modulation.getLfo (0).getAmount());
        highest = std::max (highest, modulation.getLfo (0).getAmount());
    }
    EXPECT_EQ (highest, 1.0f);
    EXPECT_GE (lowest, 0.0f);
    EXPECT_LT (lowest, 0.01f); // LFO2 comes within a whisker of its peak
}

TEST_F (GlobalModulationTest, APhaseRouteShiftsTheOffsetWithinOneCycle)
{
    settings.lfos[0].phaseOffset = 0.75f;
    settings.macros[2] = 0.5f;
    addRoute ("MAC3", "LFO1_PHASE", 1.0f);
    run();
    EXPECT_FLOAT_EQ (modulation.getLfo (0).getPhaseOffset(), 0.25f);
}

TEST_F (GlobalModulationTest, OnlyLfosAndMacrosReachTheLfoDestinations)
{
    // ENV1 has no slot in this matrix, and voice destinations are not its business.
    settings.lfos[0].rate = 3.0f;
    settings.macros[0] = 1.0f;
    addRoute ("ENV1", "LFO1_RATE", 1.0f);
    addRoute ("MAC1", "F1_CUTOFF", 1.0f);
    run();
    EXPECT_FLOAT_EQ (modulation.getLfo (0).getRate(), 3.0f);
    EXPECT_EQ (modulation.getLfoMatrix().getNumRoutes(), 1);
    EXPECT_EQ (modulation.getLfoMatrix().getSum (ModulationDestination::F1_CUTOFF), 0.0f);
}

TEST_F (GlobalModulationTest, TheTwentyFourthRouteReachesTheLfoMatrix)
{
    for (int i = 0; i < 23; ++i)
        addRoute ("MAC2", "PAN", 0.1f);
    settings.macros[0] = 0.25f;
    addRoute ("MAC1", "LFO1_RATE", 1.0f);
    settings.lfos[0].rate = 1.0f;
    run();
    EXPECT_EQ (modulation.getRouteSnapshot().count, 24);
    EXPECT_FLOAT_EQ (modulation.getLfo (0).getRate(), 2.0f);
}

TEST_F (GlobalModulationTest, RoutesArePickedUpOncePerPublication)
{
    run();
    const int before = modulation.getRouteSnapshot().version;
    run();
    EXPECT_EQ (modulation.getRouteSnapshot().version, before);

    addRoute ("LFO3", "LFO2_RATE", 0.5f);
    run();
    EXPECT_NE (modulation.getRouteSnapshot().version, before);
    ASSERT_EQ (modulation.getRouteSnapshot().count, 1);
    EXPECT_EQ (modulation.getRouteSnapshot().routes[0].source, ModulationSourceId::LFO3);
    EXPECT_EQ ((int) modulation.getRouteSnapshot().routes[0].destination, lfoRateDestination (2));
}

TEST_F (GlobalModulationTest, DrawnShapesReachTheLfoAndTheFlagSwitchesBack)
{
    settings.lfos[3].shape = LFO::square;
    modulation.getCustomShapes().setPoints (4, { { 0.0f, 0.5f } });
    run();
    EXPECT_EQ (modulation.getLfo (3).getValue(), 1.0f) << "drawn but not active";

    modulation.getCustomShapes().setActive (4, true);
    run();
    EXPECT_FLOAT_EQ (modulation.getLfo (3).getValue(), 0.5f);

    modulation.getCustomShapes().setActive (4, false);
    run();
    EXPECT_EQ (modulation.getLfo (3).getValue(), 1.0f);

    modulation.getCustomShapes().setPoints (4, {}); // no points: active means silence
    modulation.getCustomShapes().setActive (4, true);
    run();
    EXPECT_EQ (modulation.getLfo (3).getValue(), 0.0f);
}

} // namespace
