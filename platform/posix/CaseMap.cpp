// Case mapping of single UTF-16 units on POSIX systems, as CharLowerW and
// CharUpperW map them.
//
// The C library's simple case mapping of the "C.UTF-8" locale is used, held in a
// locale object of its own (the process's locale is never changed). Windows maps a
// unit only when the mapping goes both ways: a letter whose lower-case form maps
// back to a different capital (U+0130, the Kelvin sign U+212A, title-case digraphs
// such as U+01C5) or whose capital maps back to a different small letter (U+00B5,
// U+0131, U+017F, the Greek symbol forms) stays as it is. Surrogate units and
// mappings outside the Basic Multilingual Plane leave the unit unchanged.
#include <clocale>
#include <cwctype>
#include <locale.h>
#include <wctype.h>

#include "velmora/Platform.hpp"

namespace velmora::platform {
namespace {

// The private UTF-8 locale of the case mapping, released when the add-on is unloaded.
class CaseLocaleHolder {
public:
    CaseLocaleHolder()
    {
        locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (locale == static_cast<locale_t>(nullptr))
            locale = newlocale(LC_CTYPE_MASK, "C.utf8", static_cast<locale_t>(nullptr));
    }
    ~CaseLocaleHolder()
    {
        if (locale != static_cast<locale_t>(nullptr))
            freelocale(locale);
    }
    CaseLocaleHolder(const CaseLocaleHolder&) = delete;
    CaseLocaleHolder& operator=(const CaseLocaleHolder&) = delete;
    locale_t Get() const { return locale; }

private:
    locale_t locale;
};

locale_t CaseLocale()
{
    static const CaseLocaleHolder holder;
    return holder.Get();
}

bool IsSurrogate(Unit unit)
{
    return unit >= 0xD800 && unit <= 0xDFFF;
}

Unit Lower(Unit unit, locale_t locale)
{
    wint_t mapped = towlower_l(static_cast<wint_t>(unit), locale);
    return mapped > 0xFFFF ? unit : static_cast<Unit>(mapped);
}

Unit Upper(Unit unit, locale_t locale)
{
    wint_t mapped = towupper_l(static_cast<wint_t>(unit), locale);
    return mapped > 0xFFFF ? unit : static_cast<Unit>(mapped);
}

} // namespace

Unit ToLowerUnit(Unit unit)
{
    locale_t locale = CaseLocale();
    if (IsSurrogate(unit) || locale == static_cast<locale_t>(nullptr)) {
        if (unit >= u'A' && unit <= u'Z')
            return static_cast<Unit>(unit + 32);
        return unit;
    }
    Unit lower = Lower(unit, locale);
    return lower != unit && Upper(lower, locale) == unit ? lower : unit;
}

Unit ToUpperUnit(Unit unit)
{
    locale_t locale = CaseLocale();
    if (IsSurrogate(unit) || locale == static_cast<locale_t>(nullptr)) {
        if (unit >= u'a' && unit <= u'z')
            return static_cast<Unit>(unit - 32);
        return unit;
    }
    Unit upper = Upper(unit, locale);
    return upper != unit && Lower(upper, locale) == unit ? upper : unit;
}

} // namespace velmora::platform
