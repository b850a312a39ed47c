#pragma once

#include "FixedDialog.h"

class QLabel;
class QPushButton;

namespace sora {

class MDIForm1;

// The version dialog ("バージョン情報"): name, version and, in recording mode, the edition.
class Form3 final : public FixedDialog
{
    Q_OBJECT
public:
    explicit Form3(MDIForm1& main);

    void Form_Load();
    void Command1_Click();

    QLabel* const Label1;
    QLabel* const lbl_Version;
    QPushButton* const Command1;
    QLabel* const Label3;

private:
    MDIForm1& m_main;
};

} // namespace sora
