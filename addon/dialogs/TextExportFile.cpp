#include "dialogs/TextExportFile.hpp"

#include "IO.hpp"

bool WriteTextLines(const TS_String& path, const TS_List<TS_String>& lines)
{
    if (path.IsEmpty())
        return false;
    IO::File file(path.ToLocation(), IO::File::Create);
    if (file.GetStatus() != NoError)
        return false;
    // Opened emptied: writing from the start over a longer file would leave that
    // file's tail behind the new lines, a file that is neither the old nor the new.
    if (file.Open(IO::File::WriteEmptyMode, IO::File::Default) != NoError) {
        if (file.IsOpen())
            file.Close();
        return false;
    }
    bool written = file.SetPosition(0) == NoError;
    for (Int32 i = 0; written && i < lines.GetCount(); ++i) {
        const EncodedBytes bytes = lines[i].ToBytes(TextEncoding::Utf8);
        if (bytes.data == nullptr && !lines[i].IsEmpty()) {
            written = false;
            break;
        }
        UInt32 size = bytes.size;
        while (size > 0 && bytes.data[size - 1] == 0)
            --size;
        Int32 done = 0;
        if (size > 0 && (file.WriteBin(bytes.data, static_cast<Int32>(size), &done) != NoError ||
                         done != static_cast<Int32>(size))) {
            file.Flush();
            written = false;
        }
    }
    // A close that fails may have lost buffered bytes: the export is then not whole.
    if (file.Close() != NoError)
        written = false;
    return written;
}
