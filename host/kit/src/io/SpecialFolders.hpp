// The folders the host reports as special locations, set by the host program.
#pragma once

#include <string>

#include "GSRoot.hpp"

namespace kit::detail {

// The native path set for `id`; empty when the host has none.
std::string SpecialFolder(Int32 id);

} // namespace kit::detail
