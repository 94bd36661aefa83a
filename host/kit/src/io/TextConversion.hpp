// Text conversions of the kit's file-system and dialog layers: host strings
// (UTF-16) to and from UTF-8, and host paths (Windows form) to and from the
// system's own path form.
#pragma once

#include <string>

#include "GSRoot.hpp"

namespace kit::iotext {

// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD.
std::string Utf8FromUtf16(const char16_t* units, std::size_t count);
// UTF-8 to UTF-16; a malformed sequence becomes U+FFFD.
std::u16string Utf16FromUtf8(const std::string& text);

std::string ToUtf8(const GS::UniString& text);
GS::UniString FromUtf8(const std::string& text);

// A host path in the system's own form, as UTF-8: unchanged on Windows, the
// POSIX path elsewhere ("Z:\\a\\b" is "/a/b").
std::string NativeFromHostPath(const GS::UniString& windowsPath);
// The host's Windows form of a path of the system (UTF-8 in and out).
std::string HostPathFromNative(const std::string& nativePath);

} // namespace kit::iotext
