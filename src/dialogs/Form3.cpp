#include "Form3.h"

#include "app/Globals.h"
#include "platform/Fonts.h"
#include "platform/Twips.h"

#include <QLabel>
#include <QPushButton>

namespace sora {

namespace {

QLabel* centredLabel(const QString& text, int pointSize, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignCenter);
    label->setFont(msGothic(pointSize));
    return label;
}

} // namespace

Form3::Form3(const QWidget& main)
    : FixedDialog(QStringLiteral("バージョン情報"), Border::ToolWindow, 3720, 1530),
      Label1(centredLabel(QStringLiteral("ソラマドORBX"), 12, this)),
      lbl_Version(centredLabel(QStringLiteral("Version 0.7"), 9, this)),
      Command1(new QPushButton(QStringLiteral("OK"), this)),
      Label3(centredLabel(QStringLiteral("Copyright(C) 2004 空窓製作所"), 9, this))
{
    twips::place(Label1, 90, 90, 3525, 345);
    twips::place(lbl_Version, 60, 480, 3585, 225);
    twips::place(Command1, 1260, 1200, 1185, 285);
    twips::place(Label3, 0, 840, 3615, 255);
    Command1->setFont(msGothic(9));
    Command1->setFocus();
    connect(Command1, &QPushButton::clicked, this, &Form3::Command1_Click);

    centreOnScreenOf(main);

    Form_Load();
}

void Form3::Form_Load()
{
    // Loaded afresh at each opening, so the suffix is added once.
    if (gPremium)
        lbl_Version->setText(lbl_Version->text() + QStringLiteral(" Premium"));
}

void Form3::Command1_Click()
{
    close();
}

} // namespace sora
