#pragma once
// Load generations: every load gets a job id, and notifications of an older job can be told apart.

#include <cstdint>

namespace vyx {

// Milliseconds of a monotonic clock as a 32-bit value, strictly greater than the previous id this process
// handed out (two loads started within one millisecond still get different ids). Thread-safe.
std::uint32_t NewJobId();

}  // namespace vyx
