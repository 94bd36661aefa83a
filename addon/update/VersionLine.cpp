#include "update/VersionLine.hpp"

#include "language/Language.hpp"
#include "update/Fields.hpp"

namespace velmora::update {

using core::TS_List;
using core::TS_String;
using language::LanguageCodes;
using language::LanguageCount;
namespace {

using Unit = TS_String::Unit;

bool IsDateSeparator(Unit unit)
{
    return unit == u'-' || unit == u'/';
}

// dd?mm?yyyy from `start`: both separators "-" or "/" and the three numbers in
// digits. The year must be there whole: a date cut short would otherwise sort
// by its leftover digits and read as newer or older than it is.
bool IsDateAt(const TS_String& text, UInt32 start)
{
    if (text.GetLength() < start + 10)
        return false;
    return IsDateSeparator(text.GetAt(start + 2)) && IsDateSeparator(text.GetAt(start + 5)) &&
           IsDigits(text.Mid(start, 2)) && IsDigits(text.Mid(start + 3, 2)) &&
           IsDigits(text.Mid(start + 6, 4));
}

// The host tags the family writes: "(AC…)" for ArchiCAD builds and "(DA…)", which
// the family's own add-ons carry in their version lines.
bool HasHostTagOpening(const TS_String& field)
{
    static const TS_String archicad("(AC");
    static const TS_String family("(DA");
    return field.MatchesAt(archicad, 0) || field.MatchesAt(family, 0);
}

bool IsEduToken(const TS_String& token)
{
    static const TS_String edu("Edu");
    return token.Compare(0, edu) == 0;
}

Int16 PartNumber(const TS_List<TS_String>& parts, Int32 index)
{
    return index < parts.GetCount() ? static_cast<Int16>(parts[index].ToLong()) : Int16{0};
}

} // namespace

bool IsEdu(const TS_List<TS_String>& fields)
{
    return fields.GetCount() > 4 && IsEduToken(fields[4]);
}

TS_String MajorPart(const TS_String& versionField)
{
    TS_List<TS_String> parts;
    SplitAt(versionField, '.', parts);
    return parts.GetCount() > 0 ? parts[0] : TS_String();
}

void ResetVersionRecord(VersionRecord& record)
{
    record.name = "";
    record.versionText = "";
    record.major = record.minor = record.release = record.build = 0;
    record.hostVersion = 0;
    record.sortableDate = "";
    record.dateText = "";
    record.edu = false;
    record.languages.RemoveAll();
}

TS_String SortableDate(const TS_String& dateField)
{
    return dateField.Mid(6, 4) + dateField.Mid(3, 2) + dateField.Mid(0, 2);
}

LineKind ValidateVersionLine(const TS_List<TS_String>& fields)
{
    if (fields.GetCount() < 2)
        return LineKind::Invalid;
    const TS_String& version = fields[1];
    if (version.GetLength() == 10 && IsDateAt(version, 0))
        return LineKind::Date;
    if (fields.GetCount() < 4)
        return LineKind::Invalid;

    TS_List<TS_String> parts;
    SplitAt(version, '.', parts);
    if (parts.GetCount() < 4)
        return LineKind::Invalid;
    for (Int32 i = 0; i < 4; ++i) {
        if (!IsDigits(parts[i]))
            return LineKind::Invalid;
    }

    const TS_String& tag = fields[2];
    const UInt32 tagLength = tag.GetLength();
    if (!HasHostTagOpening(tag) || tagLength < 4 || tag.GetAt(tagLength - 1) != u')')
        return LineKind::Invalid;
    if (!IsDigits(tag.Mid(3, tagLength - 4)))
        return LineKind::Invalid;

    return IsDateAt(fields[3], 0) ? LineKind::Version : LineKind::Invalid;
}

void ParseVersionLine(const TS_String& text, VersionRecord& record)
{
    if (text.IsEmpty()) {
        ResetVersionRecord(record);
        return;
    }
    TS_List<TS_String> fields;
    SplitFields(text, fields);
    // Fields a short line lacks read as empty, so a record never holds stale parts.
    auto field = [&fields](Int32 index) { return index < fields.GetCount() ? fields[index] : TS_String(""); };

    record.name = field(0);
    record.versionText = field(1);
    TS_List<TS_String> parts;
    SplitAt(record.versionText, '.', parts);
    record.major = PartNumber(parts, 0);
    record.minor = PartNumber(parts, 1);
    record.release = PartNumber(parts, 2);
    record.build = PartNumber(parts, 3);

    const TS_String tag = field(2);
    const UInt32 tagLength = tag.GetLength();
    record.hostVersion = tagLength > 5 ? static_cast<Int16>(tag.Mid(3, tagLength - 5).ToLong()) : Int16{0};

    record.dateText = field(3);
    record.sortableDate = SortableDate(record.dateText);

    record.edu = false;
    record.languages.RemoveAll();
    for (Int32 i = 4; i < fields.GetCount(); ++i) {
        if (IsEduToken(fields[i])) {
            record.edu = true;
            continue;
        }
        for (Int16 language = 0; language < LanguageCount; ++language) {
            if (fields[i].GetLength() == LanguageCodes[language].GetLength() &&
                fields[i].CompareNoCase(0, LanguageCodes[language]) == 0) {
                record.languages.Insert(language, -1);
                break;
            }
        }
    }
}

} // namespace velmora::update
