// Placeholder until the input layer lands.
#include "MDIForm1.h"

namespace sora {
void MDIForm1::InitInput() {}
void MDIForm1::DXCallback(qint32) {}
bool MDIForm1::CursorInMainWindow() const { return false; }
void MDIForm1::ReleaseInput() {}
std::unique_ptr<DirectInputDevice8> DirectInput8::CreateDevice(const QString&) { return nullptr; }
DirectInputDevice8::~DirectInputDevice8() = default;
DirectX8::~DirectX8() = default;
} // namespace sora
