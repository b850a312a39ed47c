#include "XInput2Backend.h"

namespace sora {

XInput2Backend::XInput2Backend() = default;
XInput2Backend::~XInput2Backend() = default;
bool XInput2Backend::open() { return true; }
std::unique_ptr<InputDeviceSource> XInput2Backend::openDevice(InputDeviceKind) { return nullptr; }
void XInput2Backend::close() {}

} // namespace sora
