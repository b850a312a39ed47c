// Placeholder until recording lands.
#include "Form1.h"

namespace sora {
void Form1::cmdRec_Click() {}
} // namespace sora
