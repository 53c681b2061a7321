#pragma once
// Allocation that fails on demand: after `allocationsLeft` more successes,
// every allocation throws, as when a 32-bit process has no address space
// left. Negative leaves allocation alone.
#include <cstddef>

namespace korvimo::testing {
extern long allocationsLeft;
}
