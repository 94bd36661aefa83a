// Identity of the add-on as the host and the user see it.
#pragma once

#include "GSRoot.hpp"

namespace velmora {

// The stem of the add-on file, which the host shows as the add-on's name.
inline constexpr const char* AddOnFileStem = "VelmoraLibrary 19.0 (DA190)";
// The add-on's own name: its description for the host, dialog titles, update queries.
inline constexpr const char* AddOnName = "VelmoraLibrary";
// The version line compared with the maker's version list.
inline constexpr const char* AddOnVersionLine = "VelmoraLibrary 19.0.4.2200 (DA190) 03/08/2018";
// The family of add-ons that share the configuration and the update server.
inline constexpr const char* FamilyName = "Velmora";
// The host's major version.
inline constexpr Int32 HostMajorVersion = 19;

} // namespace velmora
