// Fault injection for the gif tests: this binary's global operator new can be told to throw
// std::bad_alloc on the N-th allocation from now. Disarmed, it behaves normally.
#pragma once

#include <cstddef>

namespace gif::testing {

// Arms the countdown: allocation number `n` (1 is the next one) throws, and so does every one
// after it until Disarm, as memory that has run out tends to stay out.
void FailAllocationNumber(size_t n);
// Back to normal; returns whether an allocation was refused while armed.
bool Disarm();

}  // namespace gif::testing
