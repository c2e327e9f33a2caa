#include "platform/Device.h"

namespace {
TDevice* gDesktop = nullptr;
}

void SetDesktopDevice(TDevice* Device) { gDesktop = Device; }

TDevice* DesktopDevice() { return gDesktop; }
