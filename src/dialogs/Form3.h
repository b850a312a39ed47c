#pragma once

#include "FixedDialog.h"

class QLabel;
class QPushButton;

namespace sora {


// The version dialog ("バージョン情報"): name, version and, in recording mode, the edition.
class Form3 final : public FixedDialog
{
    Q_OBJECT
public:
    // Centred on the screen that shows `main`.
    explicit Form3(const QWidget& main);

    void Form_Load();
    void Command1_Click();

    QLabel* const Label1;
    QLabel* const lbl_Version;
    QPushButton* const Command1;
    QLabel* const Label3;

private:
};

} // namespace sora
