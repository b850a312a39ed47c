#include "frame/MDIForm1.h"

namespace sora {
void MDIForm1::InitInput() {}
void MDIForm1::ReleaseInput() {}
void MDIForm1::FillTrayRecord() {}
void MDIForm1::M_Config_Click() {}
void MDIForm1::M_Ver_Click() {}
} // namespace sora
#include "windows/Form1.h"
namespace sora {
void Form1::cmdRec_Click() {}
}
