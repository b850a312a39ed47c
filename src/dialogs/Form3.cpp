#include "Form3.h"

namespace sora {

Form3::Form3(MDIForm1& main) : m_main(main)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("バージョン情報"));
    Form_Load();
}

void Form3::Form_Load() {}

} // namespace sora
