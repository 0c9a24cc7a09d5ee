#pragma once

#include "modulation/ModulationTypes.h"

#include <juce_core/juce_core.h>

#include <array>

namespace halvo
{

/** A modulation source as the user and the saved state know it. `key` is what routes and
    drag descriptions store ("LFO1", "VEL"); `label` is only ever shown ("LFO 1", "VELO"). */
struct ModSourceInfo
{
    int id;
    const char* key;
    const char* label;
    bool bipolar;
};

/** A modulation destination. `parameterId` names the knob that shows the destination's ring
    and accepts source drops; it is empty for destinations that have no knob of their own. */
struct ModDestInfo
{
    int id;
    const char* key;
    const char* label;
    const char* parameterId;
};

/** Every source, indexed by its ModulationSourceId. */
const std::array<ModSourceInfo, numModulationSources>& modSourceTable() noexcept;

/** Every destination, indexed by its ModulationDestination. */
const std::array<ModDestInfo, numModulationDestinations>& modDestTable() noexcept;

/** The source whose key is exactly `key` (case matters), or nullptr. */
const ModSourceInfo* findSourceByName (const juce::String& key) noexcept;

/** The destination whose key is exactly `key` (case matters), or nullptr. */
const ModDestInfo* findDestByName (const juce::String& key) noexcept;

/** The first destination, in id order, that belongs to the knob of `parameterId`, or nullptr.
    An empty ID finds nothing, so destinations without a knob are never matched. */
const ModDestInfo* findDestByApvtsId (const juce::String& parameterId) noexcept;

} // namespace halvo
