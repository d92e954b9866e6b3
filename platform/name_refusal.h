#pragma once

#include <chrono>

namespace kelvor {

// What a writer does when the system refuses to create a name, or to rename a file onto it.
enum class Refusal {
    // Another writer's file, or one the gateway has not taken, holds the name.
    Taken,
    // Nothing holds the name any more: it was being deleted, or held by a scanner, a moment ago.
    TryAgain,
    // The folder refuses the writer: the system's reason is the failure.
    Failure,
};

// How many times a refused name that no file holds is tried in all.
inline constexpr int RefusalAttempts = 6;

// `exists`: the system answered that the name exists; `denied`: it answered "access denied" or
// "sharing violation", which Windows also answers for a name whose file is being deleted or held;
// `listed`: a listing of the folder then showed the name; `attempt` counts from 1.
Refusal JudgeRefusal(bool exists, bool denied, bool listed, int attempt);

// The pause before attempt + 1: doubling from 5 ms, under a sixth of a second in all.
std::chrono::milliseconds RefusalPause(int attempt);

} // namespace kelvor
