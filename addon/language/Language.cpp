#include "language/Language.hpp"

#include "core/ModalDialog.hpp"
#include "core/ResStrings.hpp"
#include "core/TextEncoding.hpp"
#include "prefs/Settings.hpp"

namespace velmora::language {

using namespace core;
using namespace prefs;

std::atomic<Int16> CurrentLanguage{EnglishLanguage};

TS_String LanguageCodes[LanguageCount] = {"ita", "int", "fra", "ger", "spa", "jap", "rus"};

namespace {

ConfigFileId LanguageFile()
{
    return LanguageInOwnConfig ? OwnConfig : SharedConfig;
}

} // namespace

TS_String LocalisedText(Int16 base, Int32 entry)
{
    TS_String text;
    GetResString(text, static_cast<Int16>(base + CurrentLanguage.load()), entry);
    return text;
}

void SetItemMessage(short dialId, short item, Int32 entry)
{
    SetItemText(dialId, item, LocalisedText(MessageListBase, entry));
}

bool LoadLanguage(bool reRead)
{
    if (reRead)
        LoadConfig(SharedConfig, false);
    CurrentLanguage = EnglishLanguage;
    ConfigFileId file = LanguageFile();

    TS_String value;
    if (FindSetting(file, LanguageCodeKey, &value, true)) {
        for (Int16 i = 0; i < LanguageCount; ++i) {
            if (value.CompareNoCase(0, LanguageCodes[i], 0, 0) == 0) {
                CurrentLanguage = i;
                break;
            }
        }
        return true;
    }
    if (FindSetting(file, LanguageNumberKey, &value, true)) {
        if (NumberKind(value) != 0) {
            Int32 number = value.ToLong();
            if (number >= 0 && number <= 5)
                CurrentLanguage = static_cast<Int16>(number);
        }
        return true;
    }
    return false;
}

void SaveLanguage()
{
    if (CurrentLanguage < 0 || CurrentLanguage >= LanguageCount)
        CurrentLanguage = EnglishLanguage;
    StoreSetting(LanguageFile(), LanguageCodeKey, LanguageCodes[CurrentLanguage.load()], true);
}

} // namespace velmora::language
