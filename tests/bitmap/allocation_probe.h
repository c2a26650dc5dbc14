// Records the largest single heap request made while a probe is alive, to show that hostile
// headers are refused before anything large is allocated.
#pragma once

#include <cstddef>

namespace bitmap::test {

class AllocationProbe {
  public:
    AllocationProbe();
    ~AllocationProbe();
    size_t Largest() const;
};

}  // namespace bitmap::test
