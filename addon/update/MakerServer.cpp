#include "update/MakerServer.hpp"

#include <cstdlib>
#include <cstring>
#include <string>

#include "hostapi/AddOnIdentity.hpp"
#include "language/Language.hpp"

#ifndef VELMORA_UPDATE_SERVER
#error "VELMORA_UPDATE_SERVER: the build's address of the maker's update server"
#endif
#ifndef VELMORA_HOME_PAGE
#error "VELMORA_HOME_PAGE: the build's address of the maker's web site"
#endif

namespace velmora::update {

using core::TS_String;
using language::CurrentLanguage;
namespace {

// The run-time override: a company's mirror, a test's or a demonstration's local
// server. Read at each use, so that it holds for the check that is starting.
constexpr const char* UpdateServerVariable = "VELMORA_UPDATE_SERVER";

// Only web addresses are taken: anything else in the variable (a typing slip, a
// file path) would send the user's browser somewhere unintended.
bool IsWebAddress(const std::string& text)
{
    const auto startsWith = [&](const char* prefix) {
        return text.compare(0, std::strlen(prefix), prefix) == 0 && text.size() > std::strlen(prefix);
    };
    return (startsWith("http://") || startsWith("https://")) &&
           text.find_first_of(" \t\r\n?#\"") == std::string::npos;
}

// Without a final slash, so that the fixed paths join it.
std::string Trimmed(std::string address)
{
    while (!address.empty() && address.back() == '/')
        address.pop_back();
    return address;
}

std::string UpdateServer()
{
    const char* override = std::getenv(UpdateServerVariable);
    if (override != nullptr && IsWebAddress(override))
        return Trimmed(override);
    return Trimmed(VELMORA_UPDATE_SERVER);
}

void AppendIfAny(TS_String& text, const char* key, const TS_String& value)
{
    if (value.IsEmpty())
        return;
    text += key;
    text += value;
}

} // namespace

TS_String VersionListAddress()
{
    return TS_String((UpdateServer() + "/update_plugins/versions16.txt").c_str());
}

TS_String HomePageAddress()
{
    // The root in its canonical form, as browsers (and Wine's hand-off) write it.
    return TS_String((Trimmed(VELMORA_HOME_PAGE) + "/").c_str());
}

TS_String UpdatePageAddress(Download download)
{
    TS_String query;
    query.Reserve(1000, false);
    AppendIfAny(query, "?acver=", TS_String::FromNumber(hostapi::HostMajorVersion));
    AppendIfAny(query, "&lang=", TS_String::FromNumber(CurrentLanguage));
    query += "&addon=";
    query += hostapi::AddOnName;
    if (download == Download::Library)
        AppendIfAny(query, "&lib=", TS_String("Unknown"));
    return TS_String((UpdateServer() + "/update_plugins/updates.htm").c_str()) + query;
}

} // namespace velmora::update
