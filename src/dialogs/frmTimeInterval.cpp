#include "frmTimeInterval.h"

namespace sora {

frmTimeInterval::frmTimeInterval(MDIForm1& main) : m_main(main)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("タイマー設定"));
    Form_Load();
}

void frmTimeInterval::Form_Load() {}

} // namespace sora
