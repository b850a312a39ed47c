// Qt's own texts in the program's boxes and choosers are Japanese, whatever the locale.
#include "platform/FolderChooser.h"
#include "platform/MessageBoxes.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QRegularExpression>
#include <QTimer>

#include <gtest/gtest.h>

namespace sora {
namespace {

// Runs `inspect` on the modal window once it is up, then closes it with Escape's button.
template <typename Inspect> void whenModalShows(Inspect inspect)
{
    QTimer::singleShot(0, [inspect] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        inspect(modal);
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            box->button(QMessageBox::Cancel) ? box->button(QMessageBox::Cancel)->click() : box->reject();
        else
            modal->close();
    });
}

// A button's text as a person reads it: without the mnemonic marks.
QString shown(const QAbstractButton* b) { return b->text().remove(QRegularExpression(QStringLiteral("\\(&.\\)|&"))); }

QStringList buttonTexts(QWidget* window)
{
    QStringList texts;
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
        if (b->isVisible())
            texts << shown(b);
    return texts;
}

TEST(Language, QuestionBoxButtonsAreJapaneseAndKeepTheirRoles)
{
    QtMessageBoxes messages(QStringLiteral("SoraWindowEX"));
    QStringList texts;
    whenModalShows([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        texts = QStringList{shown(box->button(QMessageBox::Yes)), shown(box->button(QMessageBox::No)),
                            shown(box->button(QMessageBox::Cancel))};
    });
    EXPECT_EQ(messages.show(nullptr, QStringLiteral("保存しますか？"), MsgButtons::YesNoCancel, MsgIcon::Question),
              MsgResult::Cancel);
    EXPECT_EQ(texts, (QStringList{QStringLiteral("はい"), QStringLiteral("いいえ"), QStringLiteral("キャンセル")}));

    whenModalShows([&](QWidget* box) { texts = buttonTexts(box); });
    messages.show(nullptr, QStringLiteral("x"), MsgButtons::Ok, MsgIcon::Information);
    EXPECT_EQ(texts, QStringList{QStringLiteral("OK")});
}

TEST(Language, FolderChooserIsQtsOwnDialogInJapanese)
{
    QtFolderChooser chooser;
    QString title;
    QStringList labels;
    whenModalShows([&](QWidget* dialog) {
        EXPECT_NE(qobject_cast<QFileDialog*>(dialog), nullptr);
        title = dialog->windowTitle();
        for (QLabel* l : dialog->findChildren<QLabel*>())
            labels << l->text();
        labels << buttonTexts(dialog);
    });
    EXPECT_EQ(chooser.choose(nullptr, QStringLiteral("録音フォルダ設定"), QStringLiteral("/tmp/")), QStringLiteral("/tmp/"));
    EXPECT_EQ(title, QStringLiteral("録音フォルダ設定"));
    const QString all = labels.join(u' ');
    EXPECT_TRUE(all.contains(QStringLiteral("キャンセル"))) << all.toStdString();
    EXPECT_FALSE(all.contains(QStringLiteral("Cancel"))) << all.toStdString();
    EXPECT_FALSE(all.contains(QStringLiteral("Look in"))) << all.toStdString();
}

} // namespace
} // namespace sora
