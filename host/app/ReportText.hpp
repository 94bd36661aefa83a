// How the host words what it saw of the add-on, for the transcript and the
// commands that look back at it: results, tokens, four-character codes, one host
// call, and the few lines that sum up a load.
#pragma once

#include <string>
#include <vector>

#include "AddonHost.hpp"

namespace velmora::host {

// [any thread] Every function here is pure: it reads only its arguments.

// "0x0000002a": `value` in hex with at least `digits` digits.
std::string Hex(UInt64 value, int digits);
// Text of a host result for reports: "0" or "0x81060387".
std::string ResultText(GSErrCode result);
// A token as the add-on was given it: "0x56454c4d00000001".
std::string TokenText(Int64 token);
// A four-character code as written in the host's documentation: "'SMIT'".
std::string FourCharText(Int32 code);
// `text` in double quotes, as the transcript shows names and texts.
std::string Quoted(const std::string& text);
// "ACAPI_KeepInMemory(token=0x..., keep=true) -> 0": one host call as reported.
std::string CallText(const HostCall& call);

// The lines that sum up a run's load for a quiet transcript: the add-on's name, its
// menu and handlers, the texts it set, and the refused host calls by their reason.
std::vector<std::string> SummaryLines(const ProtocolReport& protocol, const MenuModel& menu,
                                      const std::vector<HostCall>& calls, bool keptInMemory);

} // namespace velmora::host
