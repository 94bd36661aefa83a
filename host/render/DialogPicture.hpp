// Pictures of the add-on's dialogs: a dialog as the host shows it at this moment,
// written as a PNG file. Items stand at their rectangles, texts are set in the
// dialog font (DejaVu Sans, with IPAGothic for Japanese), icons and bitmaps come
// from the add-on's own resources at their stored size, hidden items are absent
// and disabled ones greyed. No display is used.
#pragma once

#include <string>

#include "kit/DialogDriver.hpp"

namespace velmora::render {

struct PictureOptions {
    // With the window frame: a title bar with the dialog's title above the client
    // area and a border around both (theme::TitleBarHeight, theme::FrameBorderWidth).
    // Without it the picture is the client area alone, at the dialog's size.
    bool frame = true;
};

struct PictureResult {
    int width = 0, height = 0; // of the picture written
    int missingGlyphs = 0;     // characters that no font of the set could show
    std::string error;         // why no picture was written
};

// [any thread] Draws `dialog` (borrowed; a copy taken with kit::GetDialogState)
// and writes it to `pngPath`, replacing a file that is there. Icons and bitmaps
// are read from the dialog's resource module, which must stay open during the
// call. Calls are serialised inside. Returns false with `result->error` when the
// fonts are missing, the dialog has no area, or the file cannot be written.
bool WriteDialogPicture(const kit::DialogState& dialog, const std::string& pngPath,
                        const PictureOptions& options, PictureResult* result);

} // namespace velmora::render
