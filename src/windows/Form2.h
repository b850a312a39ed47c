#pragma once

#include "ChildWindow.h"

namespace sora {

// The ping window: one browser on the server's survival-check page.
class Form2 final : public ChildWindow
{
    Q_OBJECT
public:
    explicit Form2(BrowserFactory& browsers);

    static QString caption() { return QStringLiteral("霧里庵生存確認所"); }

    void Form_Resize() override;
};

} // namespace sora
