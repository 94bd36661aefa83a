// Localised texts: every text the add-on shows is an entry of a string list of its
// own resources, one list per language (list = family base + language index).
#pragma once

#include "GSRoot.hpp"
#include "core/TS_String.hpp"

namespace velmora::core {

// Families of string lists.
constexpr Int16 MenuListBase = 32500;     // the menu: title and five items
constexpr Int16 MenuTextListBase = 32510; // the item texts without control codes
constexpr Int16 LibraryListBase = 32530;  // library information (five languages)
constexpr Int16 MessageListBase = 32710;  // messages shared by the family

// Language indices run from 0 to 6; a family's English list is its base + 1.
constexpr Int16 FamilyLanguageCount = 7;

// [any thread] Assigns entry `entry` (from 1) of list `listId` to `target`; when
// that list or entry is missing, the same entry of the English list of the list's
// family (unless `listId` is that list); else "_ERR_NO_". Returns `target`.
// Callers pass base + CurrentLanguage (LocalisedText in language/Language.hpp does),
// so the language is read from the list itself and this layer needs none.
TS_String& GetResString(TS_String& target, Int16 listId, Int32 entry);

} // namespace velmora::core
