// Handing web addresses and documents to the system's shell ("open" verb). The add-on
// never downloads or installs a build itself: it opens the maker's pages.
#pragma once

#include "GSRoot.hpp"
#include "core/TS_String.hpp"

namespace velmora::services {

// [any thread] Opens an address with the shell, in its UTF-16 form; true whatever
// the shell reports (a missing browser is no error of the add-on's).
bool OpenUrl(const core::TS_String& address);
// [any thread] True when a file exists at path (Windows form).
bool FileExists(const core::TS_String& path);
// [any thread] Opens an existing document with the shell, its path in UTF-16 form
// (names in any script arrive whole); false only when it does not exist or its path
// is longer than the shell takes whole (platform::ShellPathLimit).
bool OpenDocument(const core::TS_String& path);

} // namespace velmora::services
