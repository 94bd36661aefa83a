// The installed dialog driver: the host program's (or a test's) user.
#include <atomic>

#include "dg/InstalledDriver.hpp"
#include "dg/UiThread.hpp"

namespace kit {

namespace {

std::atomic<DialogDriver*> installedDriver{nullptr};

} // namespace

DialogDriver::~DialogDriver() = default;

void DialogDriver::OnDialogEvent(Int16, DialogEvent) {}

void SetDialogDriver(DialogDriver* driver)
{
    installedDriver.store(driver, std::memory_order_release);
    uithread::Install(driver != nullptr);
}

namespace dgcore {

DialogDriver* CurrentDriver()
{
    return installedDriver.load(std::memory_order_acquire);
}

} // namespace dgcore
} // namespace kit
