#include "modulation/ModulationMatrix.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{

using namespace halvo;

TEST (ModulationMatrix, SumsEnabledRoutesFromPresentSources)
{
    ValueModulationSource bipolar (true), unipolar (false);
    bipolar.setValue (-0.5f);
    unipolar.setValue (0.8f);

    ModulationMatrix matrix;
    matrix.setSource (ModulationSourceId::BEND, &bipolar);
    matrix.setSource (ModulationSourceId::VEL, &unipolar);

    matrix.addRoute (ModulationSourceId::BEND, ModulationDestination::F1_CUTOFF, 0.5f, true);
    matrix.addRoute (ModulationSourceId::VEL, ModulationDestination::F1_CUTOFF, 1.0f, true);
    matrix.addRoute (ModulationSourceId::VEL, ModulationDestination::OSCA_LEVEL, 1.0f, false); // disabled
    matrix.addRoute (ModulationSourceId::ENV1, ModulationDestination::OSCA_PITCH, 1.0f, true); // no source
    matrix.addRoute ((ModulationSourceId) 40, ModulationDestination::OSCA_PITCH, 1.0f, true);  // no such slot
    matrix.addRoute (ModulationSourceId::VEL, (ModulationDestination) 60, 1.0f, true);          // no such sum

    matrix.evaluate();
    EXPECT_FLOAT_EQ (matrix.getSum (ModulationDestination::F1_CUTOFF), -0.25f + 0.8f);
    for (int d = 0; d < numModulationDestinations; ++d)
    {
        if (d != (int) ModulationDestination::F1_CUTOFF)
        {
            EXPECT_EQ (matrix.getSum (d), 0.0f) << d;
        }
    }

    // Sums start from zero every evaluation.
    matrix.evaluate();
    EXPECT_FLOAT_EQ (matrix.getSum (ModulationDestination::F1_CUTOFF), 0.55f);
}

TEST (ModulationMatrix, RefusesA33rdRouteAndTruncates)
{
    ValueModulationSource one;
    one.setValue (1.0f);
    ModulationMatrix matrix;
    matrix.setSource (ModulationSourceId::MAC1, &one);

    for (int i = 0; i < 33; ++i)
        matrix.addRoute (ModulationSourceId::MAC1, ModulationDestination::PAN, 1.0f, true);
    EXPECT_EQ (matrix.getNumRoutes(), 32);
    matrix.evaluate();
    EXPECT_FLOAT_EQ (matrix.getSum (ModulationDestination::PAN), 32.0f);

    matrix.truncateRoutes (9);
    EXPECT_EQ (matrix.getNumRoutes(), 9);
    matrix.truncateRoutes (20); // never grows
    EXPECT_EQ (matrix.getNumRoutes(), 9);
}

TEST (ModulationSources, CaptureFollowerRisesFastAndFallsSlowly)
{
    CaptureAmplitudeSource follower;
    EXPECT_FLOAT_EQ (follower.getAttackCoefficient(), 0.02f);
    follower.prepare (48000.0);
    EXPECT_NEAR (follower.getAttackCoefficient(), 1.0 - std::exp (-1.0 / 48.0), 1.0e-7);
    EXPECT_NEAR (follower.getReleaseCoefficient(), 1.0 - std::exp (-1.0 / 2400.0), 1.0e-7);

    for (int i = 0; i < 480; ++i) // 10 ms of full level: ten attack time constants
        follower.follow (1.0f);
    EXPECT_GT (follower.getValue(), 0.9999f);
    follower.follow (5.0f);
    EXPECT_LE (follower.getValue(), 1.0f);

    for (int i = 0; i < 2400; ++i) // one release time constant
        follower.follow (0.0f);
    EXPECT_NEAR (follower.getValue(), std::exp (-1.0), 0.01);
}

TEST (ModulationSources, ValueSourcesClampToTheirPolarity)
{
    ValueModulationSource bipolar (true), unipolar (false);
    bipolar.setValue (-3.0f);
    unipolar.setValue (-3.0f);
    EXPECT_EQ (bipolar.getValue(), -1.0f);
    EXPECT_EQ (unipolar.getValue(), 0.0f);
    unipolar.setValue (2.0f);
    EXPECT_EQ (unipolar.getValue(), 1.0f);
}

} // namespace
