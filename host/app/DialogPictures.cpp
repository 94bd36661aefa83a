#include "DialogPictures.hpp"

#include <cstdio>
#include <filesystem>

#if defined(VELMORA_DIALOG_PICTURES)
#include "DialogPicture.hpp"
#endif

namespace velmora::host {

bool DialogPicturesAvailable()
{
#if defined(VELMORA_DIALOG_PICTURES)
    return true;
#else
    return false;
#endif
}

DialogPictures::DialogPictures(std::string pictureFolder) : folder(std::move(pictureFolder)) {}

bool DialogPictures::Snapshot(const kit::DialogState& dialog, const std::string& nativePath,
                              std::string* message)
{
#if defined(VELMORA_DIALOG_PICTURES)
    render::PictureResult result;
    if (!render::WriteDialogPicture(dialog, nativePath, render::PictureOptions{}, &result)) {
        *message = "no picture of dialog " + std::to_string(dialog.resId) + ": " + result.error;
        return false;
    }
    *message = "[host] picture of dialog " + std::to_string(dialog.resId) + " (" +
               std::to_string(result.width) + " x " + std::to_string(result.height) + ") written to " +
               nativePath;
    // A character without a glyph is a box in the picture: say so where it is made.
    if (result.missingGlyphs > 0)
        *message += "; " + std::to_string(result.missingGlyphs) + " characters have no glyph in the fonts";
    return true;
#else
    (void)dialog;
    (void)nativePath;
    *message = "pictures of dialogs are not available in this build (it has no cairo)";
    return false;
#endif
}

bool DialogPictures::Drawn(const kit::DialogState& dialog, std::string* message)
{
    if (folder.empty())
        return true;
    char name[32];
    std::snprintf(name, sizeof name, "%03d-%d.png", ++count, static_cast<int>(dialog.resId));
    std::string written;
    if (!Snapshot(dialog, (std::filesystem::path(folder) / name).string(), &written)) {
        *message = written;
        return false;
    }
    return true;
}

} // namespace velmora::host
