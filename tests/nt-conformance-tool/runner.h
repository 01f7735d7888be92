#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "backend.h"
#include "scenario.h"

namespace quorel::conformance {

struct Tally {
    std::size_t passed = 0;
    std::size_t failed = 0;
    std::vector<std::string> failures;  // one line each
};

// Runs the scenario named `name` (its top folder) on `backend`: every
// expectation of the backend's kind, and for every item created the check
// that nt::inheritedAces, computed from the parent's DACL as it was when the
// item was created, gives the DACL the item got.
void runScenario(Backend& backend, const std::string& name, const ScenarioFile& scenario,
                 Tally& tally);

}  // namespace quorel::conformance
