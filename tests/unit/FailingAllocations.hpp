// Makes the host run out of memory for the lifetime of the object.
#pragma once

#include "kit/Host.hpp"

namespace velmora::test {

class FailingAllocations {
public:
    // The next `allowed` allocations succeed, every one after them fails.
    explicit FailingAllocations(long allowed) { kit::FailAllocationsAfter(allowed, true); }
    ~FailingAllocations() { kit::StopFailingAllocations(); }
    FailingAllocations(const FailingAllocations&) = delete;
    FailingAllocations& operator=(const FailingAllocations&) = delete;
};

} // namespace velmora::test
