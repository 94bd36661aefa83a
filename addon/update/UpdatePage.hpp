// The maker's addresses: the update server (version list and update page) and the
// home page. Their scheme and host names are settings of the build, which a run-time
// setting may override; only the paths and query keys are fixed.
#pragma once

#include "GSRoot.hpp"
#include "core/TS_String.hpp"

// The address of the version list: the update server and "/update_plugins/versions16.txt".
velmora::core::TS_String VersionListAddress();
// The maker's home page: the web site's root address ("https://host/").
velmora::core::TS_String HomePageAddress();
// The update page with its query for the clicked item of the result window: 5 for
// the add-on, 7 for the library (which adds "&lib=Unknown").
velmora::core::TS_String BuildUpdatePageAddress(Int16 item);
