#pragma once

#include "FixedDialog.h"

#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace sora {

struct Platform;

// The configuration dialog of recording mode: the reload interval and the recording folder.
// Modeless; the values are taken over only when it is closed and the user says to save them.
class frmConfig final : public FixedDialog
{
    Q_OBJECT
public:
    // Placed by `main`; messages, files and the end of the process go through `platform`.
    frmConfig(Platform& platform, const QWidget& main);

    QLineEdit* const txtRecFolder;
    QLabel* const Label2;
    QPushButton* const cmdDir1;
    QPushButton* const cmdMinus;
    QPushButton* const cmdPlus;
    QLineEdit* const txt_TimeInterval;
    QLabel* const Label1;

    void Form_Load();
    void cmdPlus_Click();
    void cmdMinus_Click();
    void cmdDir1_Click();
    // Asks whether to save; `cancel` set keeps the dialog open. May end the process when the
    // settings file cannot be written.
    void Form_Unload(bool& cancel);
    void SaveConfig();

    // Client area, in twips.
    static constexpr double ClientWidth = 9810;
    static constexpr double ClientHeight = 1740;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Why the boxes cannot be saved as they are (for the user), or nothing.
    std::optional<QString> inputProblem() const;

    Platform& m_platform;
};

} // namespace sora
