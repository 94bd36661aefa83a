// The add-on's user-interface language: an index that every resource lookup adds
// to its family's base, how it is read from the configuration and stored back, and
// the language dialog.
#pragma once

#include <atomic>

#include "DG.h"
#include "GSRoot.hpp"
#include "core/TS_String.hpp"

namespace velmora::language {

// Language indices: 0 Italian, 1 English, 2 French, 3 German, 4 Spanish, 5 Japanese, 6 Russian.
constexpr Int16 LanguageCount = 7;
constexpr Int16 EnglishLanguage = 1;

// The current language, 1 when the library is loaded; always 0 to 6. Written on the
// UI thread; atomic, because a worker's alert reads it for its texts.
extern std::atomic<Int16> CurrentLanguage;
// "ita", "int", "fra", "ger", "spa", "jap", "rus", by index.
extern core::TS_String LanguageCodes[LanguageCount];

// Identity of the add-on as far as languages go.
constexpr bool LanguageInOwnConfig = true;   // the language keys live in the own file
extern const char* const AvailableLanguages; // "ita int": the languages the dialog offers

// [any thread] Entry `entry` of the string-list family `base` (core/ResStrings.hpp)
// in the current language, with the English text or "_ERR_NO_" in its place when
// that language's list lacks it.
core::TS_String LocalisedText(Int16 base, Int32 entry);
// [any thread] Sets an item's text to entry `entry` of the family's message list
// (core/ResStrings.hpp, MessageListBase) in the current language.
void SetItemMessage(short dialId, short item, Int32 entry);

// Reads the language from the configuration (re-reading the shared file first when
// asked); true when a language key was found, else English and false.
bool LoadLanguage(bool reRead);
// Stores the current language's code under "Language_str".
void SaveLanguage();

// The language dialog: true when it was closed with OK (a different language then
// has been stored).
bool ShowLanguageDialog();
short LanguageDialogCallback(short message, short dialId, short item, DGUserData userData,
                             DGMessageData msgData);

} // namespace velmora::language
