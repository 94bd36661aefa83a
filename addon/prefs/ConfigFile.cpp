#include "prefs/ConfigFile.hpp"

#include <cstring>

#include "IO.hpp"
#include "core/PathText.hpp"
#include "core/TextEncoding.hpp"
#include "core/TextFile.hpp"

namespace velmora::prefs {

using namespace core;

TS_List<TS_Setting> SharedSettings;
TS_List<TS_Setting> OwnSettings;
bool SharedLoaded = false;
bool OwnLoaded = false;
bool SharedUnread = false;
bool OwnUnread = false;

namespace {

const char* const SharedConfigStem = "VelmoraPlugins";
const char* const OwnConfigStem = "VelmoraLibrary_190";
const char* const ConfigExtension = ".cfg";

constexpr unsigned char RecordMark = '$';
constexpr unsigned char KeyEnd = ':';
constexpr unsigned char Continuation = '#';
constexpr unsigned char CR = 0x0D;
constexpr unsigned char LF = 0x0A;

// The area the reader and writer work in, from the host's memory.
class WorkArea {
public:
    WorkArea() : bytes(static_cast<unsigned char*>(GS::NewArrayOperator(ConfigAreaBytes)))
    {
        if (bytes == nullptr)
            throw GS::OutOfMemoryException();
    }
    ~WorkArea() { GS::DeleteArrayOperator(bytes); }
    WorkArea(const WorkArea&) = delete;
    WorkArea& operator=(const WorkArea&) = delete;
    unsigned char* Get() const { return bytes; }

private:
    unsigned char* bytes;
};

// Whether the line breaks of a text are followed by the continuation mark: a value's
// are, so that the reader knows the record goes on; a key has none to mark.
enum class LineBreaks { AsTheyAre, Marked };

// Appends the 8-bit form of `text` to `out` at `*pos`, its line breaks as `breaks`
// says. False when it does not fit.
bool PutText(const TS_String& text, LineBreaks breaks, unsigned char* out, UInt32 capacity, UInt32* pos)
{
    if (text.GetLength() == 0)
        return true;
    EncodedBytes encoded = text.ToBytes(TextEncoding::Ansi);
    bool fits = encoded.data != nullptr;
    if (fits) {
        const auto* src = reinterpret_cast<const unsigned char*>(encoded.data);
        // Every unit is written, a zero one too: the reader keeps zero bytes inside
        // keys and values, and a key cut at one would write a file no reader takes.
        const std::size_t n = encoded.size - 1;
        for (std::size_t i = 0; i < n && fits; ++i) {
            unsigned char b = src[i];
            bool lineBreak =
                breaks == LineBreaks::Marked && (b == LF || (b == CR && (i + 1 >= n || src[i + 1] != LF)));
            UInt32 need = lineBreak ? 2 : 1;
            if (*pos + need > capacity) {
                fits = false;
                break;
            }
            out[(*pos)++] = b;
            if (lineBreak)
                out[(*pos)++] = Continuation;
        }
    }
    return fits;
}

bool PutByte(unsigned char b, unsigned char* out, UInt32 capacity, UInt32* pos)
{
    if (*pos >= capacity)
        return false;
    out[(*pos)++] = b;
    return true;
}

// Adds the ANSI bytes [from, to) to `text`; an empty piece adds nothing.
void AddPiece(TS_String& text, const unsigned char* from, const unsigned char* to)
{
    if (to > from)
        text.AppendBytes(reinterpret_cast<const char*>(from), static_cast<UInt32>(to - from),
                         TextEncoding::Ansi);
}

using velmora::core::FileFault;

// Reads the whole file at `path` into `area`, its length into `n`. Only a file that
// the host reports as not there is NotFound; any other fault of the status query, the
// opening, the length query, the positioning, the reading or the closing is Unreadable.
FileFault ReadConfigBytes(const TS_String& path, unsigned char* area, UInt32* n)
{
    IO::File input(path.ToLocation(), IO::File::Fail);
    const GSErrCode status = input.GetStatus();
    if (status == IO::FileNotFound)
        return FileFault::NotFound;
    if (status != NoError || input.Open(IO::File::ReadMode) != NoError)
        return FileFault::Unreadable;
    UInt64 length = 0;
    FileFault result = FileFault::None;
    if (input.GetDataLength(&length) != NoError)
        result = FileFault::Unreadable;
    else if (length > MaxConfigBytes)
        result = FileFault::TooLarge;
    else if (length > 0 &&
             (input.SetPosition(0) != NoError ||
              input.ReadBin(reinterpret_cast<char*>(area), static_cast<Int32>(length)) != NoError))
        result = FileFault::Unreadable;
    if (input.Close() != NoError && result == FileFault::None)
        result = FileFault::Unreadable;
    if (result == FileFault::None)
        *n = static_cast<UInt32>(length);
    return result;
}

} // namespace

TS_List<TS_Setting>& SettingsOf(ConfigFileId file)
{
    return file == OwnConfig ? OwnSettings : SharedSettings;
}

bool& LoadedFlagOf(ConfigFileId file)
{
    return file == OwnConfig ? OwnLoaded : SharedLoaded;
}

bool& UnreadFlagOf(ConfigFileId file)
{
    return file == OwnConfig ? OwnUnread : SharedUnread;
}

void SwapNibbles(unsigned char* bytes, UInt32 count)
{
    for (UInt32 i = 0; i < count; ++i)
        bytes[i] = static_cast<unsigned char>((bytes[i] << 4) | (bytes[i] >> 4));
}

void ClearSettings(TS_List<TS_Setting>& settings)
{
    settings.RemoveAll();
}

int FileErrorCode(GSErrCode error)
{
    switch (error) {
    case NoError:
        return 0;
    case IO::AccessDenied:
        return 2;
    case IO::FileNotFound:
        return 3;
    case IO::FileIOError:
        return 4;
    case IO::GenericError:
        return 5;
    default:
        return 6;
    }
}

GSErrCode ConfigPath(ConfigFileId file, TS_String& path)
{
    IO::Location folder;
    GSErrCode err = IO::fileSystem.GetSpecialLocation(IO::FileSystem::UserPreferences, &folder);
    if (err != NoError)
        return err;
    TS_String result;
    result.FromLocation(folder);
    result += "\\";
    result += file == SharedConfig ? SharedConfigStem : OwnConfigStem;
    result += ConfigExtension;
    path = result;
    return NoError;
}

Int32 SerializeSettings(const TS_List<TS_Setting>& settings, unsigned char* out, UInt32 capacity)
{
    UInt32 pos = 0;
    for (Int32 i = 0; i < settings.GetCount(); ++i) {
        const TS_Setting& setting = settings[i];
        bool fits = PutByte(RecordMark, out, capacity, &pos) &&
                    PutText(setting.key, LineBreaks::AsTheyAre, out, capacity, &pos) &&
                    PutByte(KeyEnd, out, capacity, &pos) && PutByte(' ', out, capacity, &pos) &&
                    PutText(setting.value, LineBreaks::Marked, out, capacity, &pos) &&
                    PutByte(CR, out, capacity, &pos) && PutByte(LF, out, capacity, &pos);
        if (!fits)
            return -1;
    }
    return static_cast<Int32>(pos);
}

bool ParseSettings(const unsigned char* data, UInt32 n, TS_List<TS_Setting>& settings)
{
    UInt32 pos = 0;
    while (pos < n) {
        if (data[pos] != RecordMark)
            return false;
        UInt32 colon = pos + 1;
        while (colon < n && data[colon] != KeyEnd)
            ++colon;
        if (colon >= n || colon == pos + 1)
            return false;

        TS_Setting setting;
        setting.key.AssignBytes(reinterpret_cast<const char*>(data + pos + 1), colon - pos - 1,
                                TextEncoding::Ansi);
        setting.value = "";
        // The byte after the colon is the writer's space, skipped whatever it is.
        UInt32 start = colon + 2;
        UInt32 scan = start;
        bool recordEnded = false;
        while (!recordEnded) {
            UInt32 brk = scan;
            while (brk < n && data[brk] != CR && data[brk] != LF)
                ++brk;
            if (brk >= n)
                return true; // no line break behind the last value: that record is dropped
            UInt32 breakLength = (data[brk] == CR && data[brk + 1] == LF) ? 2 : 1;
            UInt32 behind = brk + breakLength;
            if (behind >= n || data[behind] == RecordMark || data[behind] == 0) {
                AddPiece(setting.value, data + start, data + brk);
                settings.Insert(setting, -1);
                pos = behind;
                recordEnded = true;
            } else if (data[behind] == Continuation) {
                AddPiece(setting.value, data + start, data + behind);
                start = scan = behind + 1;
            } else {
                return false;
            }
        }
    }
    return true;
}

bool LoadConfig(ConfigFileId file, bool skipIfLoaded)
{
    bool& loaded = LoadedFlagOf(file);
    if (skipIfLoaded && loaded)
        return true;
    TS_List<TS_Setting>& settings = SettingsOf(file);
    ClearSettings(settings);

    TS_String path;
    if (ConfigPath(file, path) != NoError)
        return false;

    WorkArea area;
    UInt32 n = 0;
    switch (ReadConfigBytes(path, area.Get(), &n)) {
    case FileFault::NotFound:
    case FileFault::None:
        break;
    case FileFault::TooLarge:
        UnreadFlagOf(file) = false;
        return false; // larger than any file the writer makes: damaged
    default:
        // A transient fault (a disk, a share, a lock) must not pass for an empty
        // file: the next store would write the list without the user's settings.
        loaded = false;
        UnreadFlagOf(file) = true;
        return false;
    }
    UnreadFlagOf(file) = false;
    SwapNibbles(area.Get(), n);
    area.Get()[n] = 0;
    area.Get()[n + 1] = 0;
    if (!ParseSettings(area.Get(), n, settings))
        return false;
    loaded = true;
    return true;
}

bool SaveConfig(ConfigFileId file)
{
    if (UnreadFlagOf(file))
        return false;
    WorkArea area;
    Int32 n = SerializeSettings(SettingsOf(file), area.Get(), MaxConfigBytes);
    if (n < 0)
        return false;
    SwapNibbles(area.Get(), static_cast<UInt32>(n));
    TS_String path;
    if (ConfigPath(file, path) != NoError)
        return false;
    return WriteFileBytes(path, reinterpret_cast<const char*>(area.Get()), static_cast<UInt32>(n)) == 0;
}

int WriteFileBytes(const TS_String& path, const char* bytes, UInt32 count)
{
    IO::Location target = path.ToLocation();
    if (!target.IsValid())
        return 1;
    // A file of its own beside the target (or beside the file a link leads to),
    // written whole and renamed over it, so that a crash or a full disk leaves either
    // the old settings or the new ones, and two hosts saving at once do not share it.
    // A read-only file is refused here, before anything is written.
    IO::Location temp;
    GSErrCode err = IO::fileSystem.CreateReplacementFile(target, &temp);
    if (err != NoError)
        return FileErrorCode(err);
    {
        IO::File output(temp, IO::File::Fail);
        err = output.GetStatus();
        if (err == NoError)
            err = output.Open(IO::File::WriteEmptyMode);
        if (err == NoError && count > 0)
            err = output.WriteBin(bytes, static_cast<Int32>(count));
        if (err == NoError)
            err = output.Flush();
        GSErrCode closeErr = output.IsOpen() ? output.Close() : NoError;
        if (err == NoError)
            err = closeErr;
    }
    if (err == NoError)
        err = IO::fileSystem.MoveReplacing(temp, target);
    if (err != NoError) {
        IO::Location folder = temp;
        IO::Name name;
        if (folder.GetLastLocalName(&name) == NoError && folder.DeleteLastLocalName() == NoError)
            IO::Folder(folder).Delete(name);
        return FileErrorCode(err);
    }
    return 0;
}

} // namespace velmora::prefs
