#include "core/TS_List.hpp"

namespace velmora::core {

// The list types of the program.
template class TS_List<short>;
template class TS_List<TS_String>;
template class TS_List<TS_Setting>;
template class TS_List<FTM::GeneralID>;

} // namespace velmora::core
