#pragma once

namespace effects {

// The program-wide pseudo-random generator: a value in 0 .. n - 1, or 0 when n <= 0.
int Random(int n);

} // namespace effects
