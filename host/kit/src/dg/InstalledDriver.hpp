// Inside the dialog manager: the installed driver.
#pragma once

#include "DG.h"
#include "kit/DialogDriver.hpp"

namespace kit::dgcore {

// [any thread] The installed driver, or null.
DialogDriver* CurrentDriver();

} // namespace kit::dgcore
