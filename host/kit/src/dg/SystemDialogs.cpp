// The system's standard dialogs: alert boxes and file dialogs, answered by the
// installed driver on the UI thread (a caller on another thread waits for it).
#include <string>
#include <vector>

#include "DG.h"
#include "FTM.hpp"
#include "dg/InstalledDriver.hpp"
#include "dg/UiThread.hpp"
#include "io/TextConversion.hpp"

short DGAlert(short alertType, const GS::UniString& title, const GS::UniString& largeText,
              const GS::UniString& smallText, const GS::UniString& button1, const GS::UniString& button2,
              const GS::UniString& button3)
{
    kit::AlertRequest request;
    request.type = alertType;
    request.title = title;
    request.largeText = largeText;
    request.smallText = smallText;
    request.buttons[0] = button1;
    request.buttons[1] = button2;
    request.buttons[2] = button3;
    // Dropped at shutdown: the alert then answers 1, as without a driver.
    Int16 pressed = 1;
    kit::uithread::Run([&] {
        if (kit::DialogDriver* driver = kit::dgcore::CurrentDriver())
            pressed = driver->OnAlert(request);
    });
    return pressed >= 1 && pressed <= 3 ? pressed : 1;
}

namespace DG {

SystemDialog::~SystemDialog() = default;

void SystemDialog::SetTitle(const GS::UniString& newTitle)
{
    title = newTitle;
}

struct FileDialog::Impl {
    Type type = Save;
    std::vector<UInt32> filters;
    std::string folder;   // Windows form, UTF-8
    std::string fileName; // Windows form, UTF-8
    std::vector<IO::Location> selected;
    UInt32 selectedFilter = 0;
};

FileDialog::FileDialog(Type type) : impl(new Impl)
{
    impl->type = type;
}

FileDialog::~FileDialog()
{
    delete impl;
}

bool FileDialog::AddFilter(UInt32 fileTypeId, Int32)
{
    if (!FTM::GetFileType(fileTypeId, nullptr))
        return false;
    impl->filters.push_back(fileTypeId);
    return true;
}

void FileDialog::SetFolder(const IO::Location& folder)
{
    GS::UniString path;
    impl->folder = folder.ToPath(&path) == NoError ? kit::iotext::ToUtf8(path) : std::string();
}

void FileDialog::SelectFile(const IO::Location& file)
{
    // A full path names the folder too; a bare name only proposes the file name.
    IO::Name name;
    impl->fileName =
        file.GetLastLocalName(&name) == NoError ? kit::iotext::ToUtf8(name.ToString()) : std::string();
    if (file.IsValid()) {
        IO::Location folder = file;
        GS::UniString path;
        if (folder.DeleteLastLocalName() == NoError && folder.ToPath(&path) == NoError)
            impl->folder = kit::iotext::ToUtf8(path);
    }
}

bool FileDialog::Invoke()
{
    impl->selected.clear();
    impl->selectedFilter = 0;
    kit::FileDialogRequest request;
    request.type = impl->type;
    request.title = title;
    request.filters = impl->filters;
    request.folder = impl->folder;
    request.fileName = impl->fileName;
    std::string chosen;
    UInt32 filter = 0;
    bool chose = false;
    kit::uithread::Run([&] {
        if (kit::DialogDriver* driver = kit::dgcore::CurrentDriver())
            chose = driver->OnFileDialog(request, &chosen, &filter);
    });
    if (!chose || chosen.empty())
        return false;
    impl->selected.emplace_back(kit::iotext::FromUtf8(chosen));
    impl->selectedFilter = filter;
    return true;
}

UInt32 FileDialog::GetSelectionCount() const
{
    return static_cast<UInt32>(impl->selected.size());
}

const IO::Location& FileDialog::GetSelectedFile(UInt32 index) const
{
    static const IO::Location none;
    return index < impl->selected.size() ? impl->selected[index] : none;
}

UInt32 FileDialog::GetSelectedFilter() const
{
    return impl->selectedFilter;
}

} // namespace DG
