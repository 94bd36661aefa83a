// Inside the dialog manager: the installed driver, and dialogs opened from a
// template that did not come from a resource module (the host's own dialogs and
// the kit's tests).
#pragma once

#include "DG.h"
#include "kit/DialogDriver.hpp"
#include "kit/Resources.hpp"

namespace kit::dgcore {

// The installed driver, or null.
DialogDriver* CurrentDriver();

} // namespace kit::dgcore

namespace kit::detail {

// DGModalDialog and DGModelessInit for a template given directly; the dialog's
// resource module is InvalidResModule.
KIT_API short ModalDialogFromTemplate(const DialogTemplate& dialogTemplate, GSResModule iconResModule,
                                      DGDialCallBack callback, DGUserData userData);
KIT_API short ModelessDialogFromTemplate(const DialogTemplate& dialogTemplate, GSResModule iconResModule,
                                         DGDialCallBack callback, DGUserData userData);

} // namespace kit::detail
