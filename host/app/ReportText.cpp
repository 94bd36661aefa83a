#include "ReportText.hpp"

#include <algorithm>
#include <cstdio>

namespace velmora::host {

namespace {

// "32500, 32502-32506": numbers in ascending order, runs as ranges.
std::string NumberRanges(std::vector<long> numbers)
{
    std::sort(numbers.begin(), numbers.end());
    numbers.erase(std::unique(numbers.begin(), numbers.end()), numbers.end());
    std::string text;
    for (std::size_t i = 0; i < numbers.size();) {
        std::size_t last = i;
        while (last + 1 < numbers.size() && numbers[last + 1] == numbers[last] + 1)
            ++last;
        text += (text.empty() ? "" : ", ") + std::to_string(numbers[i]);
        if (last > i)
            text += (last == i + 1 ? ", " : "-") + std::to_string(numbers[last]);
        i = last + 1;
    }
    return text;
}

std::string Plural(std::size_t count, const std::string& one, const std::string& many)
{
    return std::to_string(count) + " " + (count == 1 ? one : many);
}

} // namespace

std::string Hex(UInt64 value, int digits)
{
    char buffer[32];
    std::snprintf(buffer, sizeof(buffer), "0x%0*llx", digits, static_cast<unsigned long long>(value));
    return buffer;
}

std::string ResultText(GSErrCode result)
{
    return result == NoError ? "0" : Hex(static_cast<UInt32>(result), 8);
}

std::string TokenText(Int64 token)
{
    return Hex(static_cast<UInt64>(token), 1);
}

std::string FourCharText(Int32 code)
{
    std::string text = "'";
    for (int shift = 24; shift >= 0; shift -= 8) {
        char c = static_cast<char>((static_cast<UInt32>(code) >> shift) & 0xFF);
        text += (c >= 0x20 && c < 0x7F) ? c : '?';
    }
    return text + "'";
}

std::string Quoted(const std::string& text)
{
    return "\"" + text + "\"";
}

std::string CallText(const HostCall& call)
{
    return call.name + "(" + call.arguments + ") -> " + ResultText(call.result);
}

std::vector<std::string> SummaryLines(const ProtocolReport& protocol, const MenuModel& registered,
                                      const std::vector<HostCall>& made, bool keptInMemory)
{
    std::vector<std::string> lines;
    lines.push_back("[host] loaded " + Quoted(protocol.name) + " (" + protocol.description + ", kind " +
                    std::to_string(protocol.kind) + "): the protocol went through, Initialize -> " +
                    ResultText(protocol.initializeResult));

    std::vector<long> handlerMenus, textMenus, flagMenus;
    std::size_t texts = 0, flags = 0;
    // The refused calls by their reason, in the order the reasons first came.
    std::vector<std::pair<std::string, std::vector<const HostCall*>>> refusals;
    for (const HostCall& call : made) {
        const bool elsewhere =
            call.menuId != 0 && registered.Registered() && call.menuId != registered.ListId();
        if (call.result == NoError) {
            if (call.entry == APIEntry_InstallMenuHandler)
                handlerMenus.push_back(call.menuId);
            if (call.entry == APIEntry_Interface && call.code == APIIo_SetMenuItemTextID) {
                ++texts;
                textMenus.push_back(call.menuId);
            }
            if (call.entry == APIEntry_Interface && call.code == APIIo_SetMenuItemFlagsID) {
                ++flags;
                flagMenus.push_back(call.menuId);
            }
            continue;
        }
        std::string reason =
            call.name + (call.entry == APIEntry_Interface ? " " + FourCharText(call.code) : "");
        if (elsewhere && call.entry == APIEntry_Interface)
            reason = "menu items of menus that are not registered";
        else if (call.result == APIERR_NOTSUPPORTED)
            reason += ", which this host does not support";
        auto it =
            std::find_if(refusals.begin(), refusals.end(), [&](const auto& r) { return r.first == reason; });
        if (it == refusals.end())
            it = refusals.insert(refusals.end(), {reason, {}});
        it->second.push_back(&call);
    }

    if (registered.Registered())
        lines.push_back("[host] menu " + Quoted(registered.Title().display) + " (string list " +
                        std::to_string(registered.ListId()) + ") with " +
                        Plural(registered.Items().size(), "item", "items") + "; menu handlers for " +
                        (handlerMenus.empty() ? std::string("no menu") : NumberRanges(handlerMenus)) +
                        (keptInMemory ? "; kept in memory" : ""));
    else
        lines.push_back("[host] the add-on registered no menu");
    lines.push_back("[host] texts set: " + Plural(texts, "menu item text", "menu item texts") +
                    (textMenus.empty() ? "" : " (menu " + NumberRanges(textMenus) + ")") + ", " +
                    Plural(flags, "menu item mark", "menu item marks") +
                    (flagMenus.empty() ? "" : " (menu " + NumberRanges(flagMenus) + ")"));
    std::size_t refused = 0;
    for (const auto& refusal : refusals)
        refused += refusal.second.size();
    std::string tally = "[host] " + Plural(made.size(), "host call", "host calls") + ", " +
                        std::to_string(refused) + " refused";
    for (const auto& [reason, which] : refusals) {
        std::vector<long> menus;
        std::vector<std::string> results;
        for (const HostCall* call : which) {
            if (call->menuId != 0)
                menus.push_back(call->menuId);
            const std::string result = ResultText(call->result);
            if (std::find(results.begin(), results.end(), result) == results.end())
                results.push_back(result);
        }
        std::string answers;
        for (const std::string& result : results)
            answers += (answers.empty() ? "" : ", ") + result;
        tally += (&reason == &refusals.front().first ? ": " : "; ") + std::to_string(which.size()) + " for " +
                 reason + (menus.empty() ? "" : " (" + NumberRanges(menus) + ")") + " -> " + answers;
    }
    lines.push_back(tally);
    lines.push_back("[host] \"calls\" lists every host call; --verbose shows them as they come");
    return lines;
}

} // namespace velmora::host
