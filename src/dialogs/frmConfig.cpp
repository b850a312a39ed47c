#include "frmConfig.h"

namespace sora {

frmConfig::frmConfig(MDIForm1& main) : m_main(main)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("設定"));
    Form_Load();
}

void frmConfig::Form_Load() {}

} // namespace sora
