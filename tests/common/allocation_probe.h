// Records the largest single heap request made while a probe is alive, to show that hostile
// headers are refused before anything large is allocated. Needs allocation_hook.cpp.
#pragma once

#include <cstddef>

namespace testsupport {

class AllocationProbe {
  public:
    AllocationProbe();
    ~AllocationProbe();
    size_t Largest() const;
};

}  // namespace testsupport
