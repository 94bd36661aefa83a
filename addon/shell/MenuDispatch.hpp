// The add-on's menu: the seven language versions of it (string lists 32500 to
// 32506), the handlers that the host calls for a menu command, and the dispatcher
// that turns a command into an action.
#pragma once

#include "ACAPI.hpp"

namespace velmora::shell {

// Menu string lists: 32500 + language index.
constexpr Int16 FirstMenuListId = 32500;
constexpr Int16 MenuListCount = 7;
// Item-text lists (texts without the host's control codes): 32510 + language index.
constexpr Int16 FirstMenuTextListId = 32510;
// Items of the menu.
constexpr Int32 MenuItemCount = 5;
constexpr Int32 AboutMenuItem = 1;
constexpr Int32 LanguageMenuItem = 2;
constexpr Int32 CheckForUpdatesMenuItem = 3;
constexpr Int32 AutoUpdateMenuItem = 4;
constexpr Int32 InfoMenuItem = 5;

// Set when the library is loaded, cleared once the first menu command has been
// handled: the first command also reloads the language.
extern bool PendingFirstCommand;

// The handler for menu list 32500 + index (index 0 to 6), which the host calls on
// the [UI thread] with parameters it owns. Each returns 0 and passes the command to
// DoMenuCommand with its own list id.
APIMenuCommandProc MenuCommandHandler(int index);

// [UI thread] Installs the seven handlers with the host; returns the bitwise OR of the seven
// host results.
GSErrCode InstallMenuHandlers();

// [UI thread] The dispatcher: a command for another menu than `ownListId` does nothing;
// otherwise the host is asked to keep the add-on loaded and the command is acted on.
void DoMenuCommand(const API_MenuParams* params, Int16 ownListId);

} // namespace velmora::shell
