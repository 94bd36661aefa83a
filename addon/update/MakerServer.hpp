// Every address of the maker's: the update server (version list and update page) and the
// home page. Their scheme and host names are settings of the build, which a run-time
// setting may override; only the paths and query keys are fixed.
#pragma once

#include "GSRoot.hpp"
#include "core/TS_String.hpp"

namespace velmora::update {

// [any thread] The functions read the environment at each call and keep no state.

// What the user asked to download from the result window.
enum class Download { AddOn, Library };

// The address of the version list: the update server and "/update_plugins/versions16.txt".
core::TS_String VersionListAddress();
// The maker's home page: the web site's root address ("https://host/").
core::TS_String HomePageAddress();
// The update page with its query for the asked download; the library's adds
// "&lib=Unknown".
core::TS_String UpdatePageAddress(Download download);

} // namespace velmora::update
