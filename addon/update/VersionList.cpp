#include "update/VersionList.hpp"

#include <atomic>
#include <chrono>
#include <climits>
#include <random>

#include "IO.hpp"
#include "core/PathText.hpp"
#include "language/Language.hpp"
#include "prefs/ConfigFile.hpp"
#include "update/Downloader.hpp"

using namespace velmora::core;
using namespace velmora::prefs;
using namespace velmora::language;

namespace {

const char* const ListFileName = "__updts__.tmp";
const char* const FreshListStem = "__updts__-";
const char* const FreshListExtension = ".tmp";

using Unit = TS_String::Unit;

bool IsBlank(Unit unit)
{
    return unit == u' ' || unit == u'\t';
}

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

Int16 PartNumber(const TS_List<TS_String>& parts, Int32 index)
{
    return index < parts.GetCount() ? static_cast<Int16>(parts[index].ToLong()) : Int16{0};
}

// Whether the line's first field is `name`: a line about another add-on can make no
// difference, so it is passed over without being cut into fields, which keeps the
// comparison of a long list fast.
bool StartsWithField(const Unit* line, UInt32 length, const TS_String& name)
{
    const UInt32 nameLength = name.GetLength();
    if (length < nameLength || (length > nameLength && !IsBlank(line[nameLength])))
        return false;
    for (UInt32 i = 0; i < nameLength; ++i) {
        if (line[i] != name.GetAt(i))
            return false;
    }
    return true;
}

// What a line must share with the installed one to be about the same product.
struct Product {
    TS_String name, hostTag, major, sortableDate;
    bool edu = false;
};

bool UserFolderFile(const TS_String& name, TS_String* path)
{
    IO::Location folder;
    if (path == nullptr ||
        IO::fileSystem.GetSpecialLocation(IO::FileSystem::UserPreferences, &folder) != NoError)
        return false;
    TS_String result;
    result.FromLocation(folder);
    if (result.IsNull())
        return false;
    result += "\\";
    result += name;
    *path = result;
    return true;
}

// 64 bits that differ between calls and between processes: the system's random
// source where it has one, mixed with the clock and a count of the calls.
UInt64 FreshNumber()
{
    static std::atomic<UInt64> calls{0};
    UInt64 number = static_cast<UInt64>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                    (calls.fetch_add(1) * 0x9E3779B97F4A7C15ULL);
    try {
        std::random_device device;
        number ^= (static_cast<UInt64>(device()) << 32) ^ device();
    } catch (...) {
        // No random source: the clock and the count keep two calls of this process
        // apart, and a collision with another process only fails that one check.
    }
    return number;
}

} // namespace

bool VersionListPath(TS_String* path)
{
    return UserFolderFile(TS_String(ListFileName), path);
}

bool FreshVersionListPath(TS_String* path)
{
    static const char digits[] = "0123456789abcdef";
    char name[17] = {};
    UInt64 number = FreshNumber();
    for (int i = 15; i >= 0; --i, number >>= 4)
        name[i] = digits[number & 0xF];
    return UserFolderFile(TS_String(FreshListStem) + TS_String(name) + TS_String(FreshListExtension), path);
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

void SplitFields(const TS_String& text, TS_List<TS_String>& fields)
{
    fields.RemoveAll();
    if (text.IsNull()) {
        fields.Insert(TS_String(""), -1);
        return;
    }
    const UInt32 length = text.GetLength();
    const Unit* units = text.GetUnits();
    UInt32 start = 0;
    UInt32 i = 0;
    while (i < length) {
        if (!IsBlank(units[i])) {
            ++i;
            continue;
        }
        fields.Insert(text.Mid(start, i - start), -1);
        while (i < length && IsBlank(units[i]))
            ++i;
        start = i;
    }
    fields.Insert(text.Mid(start), -1);
}

void SplitAt(const TS_String& text, char separator, TS_List<TS_String>& fields)
{
    fields.RemoveAll();
    if (text.IsNull()) {
        fields.Insert(TS_String(""), -1);
        return;
    }
    // The separator's unit, found once: the walk then compares units only.
    const char separatorText[2] = {separator, 0};
    const TS_String separatorString(separatorText);
    const Unit unit = separatorString.GetAt(0);
    const Unit* units = text.GetUnits();
    const UInt32 length = text.GetLength();
    UInt32 start = 0;
    for (UInt32 i = 0; i < length; ++i) {
        if (unit != 0 && units[i] == unit) {
            fields.Insert(text.Mid(start, i - start), -1);
            start = i + 1;
        }
    }
    fields.Insert(text.Mid(start), -1);
}

bool IsDigits(const TS_String& text)
{
    const UInt32 length = text.GetLength();
    const Unit* units = text.GetUnits();
    bool ascii = true;
    for (UInt32 i = 0; i < length && ascii; ++i)
        ascii = units[i] < 0x80;
    if (ascii) {
        for (UInt32 i = 0; i < length; ++i) {
            if (units[i] < u'0' || units[i] > u'9')
                return false;
        }
        return true;
    }
    // Outside ASCII the code page decides: a character it maps to a digit byte
    // (Windows maps the full-width digits so) counts as a digit.
    const EncodedBytes bytes = text.ToBytes(TextEncoding::Ansi);
    if (bytes.data == nullptr)
        return false;
    for (const char* b = bytes.data; *b != 0; ++b) {
        if (*b < '0' || *b > '9')
            return false;
    }
    return true;
}

TS_String SortableDate(const TS_String& dateField)
{
    return dateField.Mid(6, 4) + dateField.Mid(3, 2) + dateField.Mid(0, 2);
}

int ValidateVersionLine(const TS_List<TS_String>& fields)
{
    if (fields.GetCount() < 2)
        return InvalidLine;
    const TS_String& version = fields[1];
    if (version.GetLength() == 10 && IsDateAt(version, 0))
        return DateEntry;
    if (fields.GetCount() < 4)
        return InvalidLine;

    TS_List<TS_String> parts;
    SplitAt(version, '.', parts);
    if (parts.GetCount() < 4)
        return InvalidLine;
    for (Int32 i = 0; i < 4; ++i) {
        if (!IsDigits(parts[i]))
            return InvalidLine;
    }

    const TS_String& tag = fields[2];
    const UInt32 tagLength = tag.GetLength();
    if (!HasHostTagOpening(tag) || tagLength < 4 || tag.GetAt(tagLength - 1) != u')')
        return InvalidLine;
    if (!IsDigits(tag.Mid(3, tagLength - 4)))
        return InvalidLine;

    return IsDateAt(fields[3], 0) ? VersionEntry : InvalidLine;
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

int ReadTextFile(const TS_String& path, TS_String& text, UInt64 maxBytes)
{
    text.Clear();
    const IO::Location location = path.ToLocation();
    if (!location.IsValid())
        return FileErrorCode(IO::BadLocation);
    IO::File input(location, IO::File::Fail);
    if (input.GetStatus() != NoError)
        return FileErrorCode(input.GetStatus());
    GSErrCode err = input.Open(IO::File::ReadMode);
    if (err != NoError)
        return FileErrorCode(err);

    UInt64 length = 0;
    err = input.GetDataLength(&length);
    // ReadBin counts in 32 bits; no list comes near that size.
    if (err == NoError && (length > INT32_MAX || length > maxBytes))
        err = IO::FileIOError;
    // The buffer is freed also when the conversion below runs out of memory.
    struct Buffer {
        char* bytes = nullptr;
        ~Buffer() { GS::DeleteArrayOperator(bytes); }
    } buffer;
    if (err == NoError && length > 0) {
        buffer.bytes = static_cast<char*>(GS::NewArrayOperator(static_cast<GSSize>(length)));
        if (buffer.bytes == nullptr) {
            input.Close();
            throw GS::OutOfMemoryException();
        }
        err = input.SetPosition(0);
        if (err == NoError)
            err = input.ReadBin(buffer.bytes, static_cast<Int32>(length));
    }
    const GSErrCode closeErr = input.Close();
    if (err == NoError)
        err = closeErr;
    if (err == NoError)
        text.FromEncodedBytes(buffer.bytes, static_cast<UInt32>(length), true, TextEncoding::Ansi);
    return FileErrorCode(err);
}

bool DeleteFileAt(const TS_String& path)
{
    IO::Location folder = path.ToLocation();
    IO::Name name;
    if (!folder.IsValid() || folder.GetLastLocalName(&name) != NoError ||
        folder.DeleteLastLocalName() != NoError)
        return false;
    IO::Folder parent(folder);
    return parent.GetStatus() == NoError && parent.Delete(name) == NoError;
}

VersionListOutcome CompareWithVersionList(const TS_String& installedLine)
{
    TS_String path;
    if (!VersionListPath(&path))
        return VersionListOutcome::Failed;
    return CompareWithVersionList(installedLine, path);
}

VersionListOutcome CompareWithVersionList(const TS_String& installedLine, const TS_String& path)
{
    TS_String text;
    // No more than a transfer may have written: a larger file is not the list.
    const int readResult = ReadTextFile(path, text, MaxDownloadBytes);
    // A missing file is no list; any other outcome leaves a file that must not stay.
    if (readResult != 3)
        DeleteFileAt(path);
    // A list that could not be read whole says nothing about newer builds: reading
    // it as empty would report "up to date" for a failure.
    if (readResult != 0)
        return VersionListOutcome::Failed;

    TS_List<TS_String> installedFields;
    SplitFields(installedLine, installedFields);
    const int installedKind = ValidateVersionLine(installedFields);
    if (installedKind == InvalidLine)
        return VersionListOutcome::Failed;
    // A date entry names no host and no build date: no line of the list can be
    // about it, so nothing newer can be found.
    if (installedKind == DateEntry)
        return VersionListOutcome::UpToDate;

    Product installed;
    installed.name = installedFields[0];
    installed.major = MajorPart(installedFields[1]);
    installed.hostTag = installedFields[2];
    installed.sortableDate = SortableDate(installedFields[3]);
    installed.edu = IsEdu(installedFields);

    bool upToDate = true;
    // Whether the answer is a list at all: some line of it is a valid version line,
    // of whichever add-on. Once one is seen, lines of other add-ons are passed over.
    bool anyValid = false;
    const UInt32 length = text.GetLength();
    const Unit* units = text.GetUnits();
    TS_List<TS_String> fields;
    UInt32 start = 0;
    for (UInt32 i = 0; i <= length; ++i) {
        const bool atEnd = i == length;
        if (!atEnd && units[i] != u'\r' && units[i] != u'\n')
            continue;
        const UInt32 lineLength = i - start;
        const bool ours = lineLength > 0 && StartsWithField(units + start, lineLength, installed.name);
        if (lineLength > 0 && (ours || !anyValid)) {
            SplitFields(text.Mid(start, lineLength), fields);
            // The host tag is compared before the line is validated: most lines of
            // the list are for other hosts, and the outcome is the same.
            const bool sameHost =
                ours && fields.GetCount() >= 4 && fields[2].Compare(0, installed.hostTag) == 0;
            if (sameHost || !anyValid) {
                const bool valid = ValidateVersionLine(fields) == VersionEntry;
                anyValid = anyValid || valid;
                if (valid && sameHost && fields[0].Compare(0, installed.name) == 0 &&
                    MajorPart(fields[1]).Compare(0, installed.major) == 0 && IsEdu(fields) == installed.edu &&
                    SortableDate(fields[3]).IsGreater(installed.sortableDate))
                    upToDate = false;
            }
        }
        if (!atEnd && units[i] == u'\r' && i + 1 < length && units[i + 1] == u'\n')
            ++i;
        start = i + 1;
    }
    if (!anyValid)
        return VersionListOutcome::Failed;
    return upToDate ? VersionListOutcome::UpToDate : VersionListOutcome::UpdateAvailable;
}
