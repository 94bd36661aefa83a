// Pictures that velmora-host takes of the add-on's dialogs: one on request (the
// "snapshot FILE" command) and, when a folder is given (--pictures DIR), one each
// time the host draws a dialog. The drawing itself is host/render's; the Windows
// build has no cairo, and there every request fails with a message saying so.
#pragma once

#include <string>

#include "kit/DialogDriver.hpp"

namespace velmora::host {

// Whether this build can draw pictures of dialogs.
bool DialogPicturesAvailable();

class DialogPictures {
public:
    // `folder` (native path, may be empty) receives a picture of every drawn dialog.
    explicit DialogPictures(std::string folder = {});

    // [UI thread] Writes the dialog as it stands to `nativePath` (PNG). Returns
    // false with the reason in `message`; on success `message` says what was written.
    bool Snapshot(const kit::DialogState& dialog, const std::string& nativePath, std::string* message);

    // [UI thread] The host has drawn `dialog`: with a folder, writes it there as
    // "NNN-RESID.png", NNN counting the pictures of this run from 001. Returns false
    // with `message` when that failed; true (and no message) otherwise.
    bool Drawn(const kit::DialogState& dialog, std::string* message);

private:
    std::string folder;
    int count = 0;
};

} // namespace velmora::host
