#pragma once

#include <QString>

class QWidget;

namespace sora {

enum class MsgButtons { Ok, YesNo, YesNoCancel };
enum class MsgIcon { None, Question, Information, Exclamation, Critical };
enum class MsgResult { Ok, Yes, No, Cancel };

// Every box the program shows goes through here, so tests can script the answers.
class MessageBoxes
{
public:
    virtual ~MessageBoxes() = default;
    // Modal; returns the button the user pressed. Lines in `text` may be joined by CR LF.
    virtual MsgResult show(QWidget* parent, const QString& text, MsgButtons buttons, MsgIcon icon) = 0;
};

// The real boxes: QMessageBox titled with the application title.
class QtMessageBoxes final : public MessageBoxes
{
public:
    explicit QtMessageBoxes(QString title) : m_title(std::move(title)) {}
    MsgResult show(QWidget* parent, const QString& text, MsgButtons buttons, MsgIcon icon) override;

private:
    QString m_title;
};

} // namespace sora
