#include "platform/Device.h"

#include <atomic>

namespace {
// Set by the window at start; read wherever pictures are prepared for the screen.
std::atomic<TDevice*> gDesktop{nullptr};
}  // namespace

void SetDesktopDevice(TDevice* Device) { gDesktop = Device; }

TDevice* DesktopDevice() { return gDesktop; }
