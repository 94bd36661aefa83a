// One setting of a configuration file: its key and its value.
#pragma once

#include "core/TS_String.hpp"

namespace velmora::core {

struct TS_Setting {
    TS_String key;
    TS_String value;
};

} // namespace velmora::core
