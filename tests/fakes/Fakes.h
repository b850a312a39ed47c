#pragma once

// Simple stand-ins for the platform seams: they record what the program asked for and answer
// from what the test set up.

#include "FakeInput.h"
#include "FakeLauncher.h"
#include "FakeNotifyIcon.h"
#include "FakeStreamProbe.h"
#include "FakeTitleReader.h"
#include "platform/EndProcess.h"
#include "platform/FolderChooser.h"
#include "platform/MessageBoxes.h"
#include "platform/SingleInstance.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace sora::fakes {

// Thrown by FakeEndProcess so the handler that ends the process unwinds to the test.
struct ProcessEnded
{
    int exitCode;
};

class FakeEndProcess final : public EndProcess
{
public:
    bool ended = false;
    int exitCode = -1;

protected:
    void doEnd(int code) override
    {
        ended = true;
        exitCode = code;
        throw ProcessEnded{code};
    }
};

class FakeSingleInstance final : public SingleInstance
{
public:
    bool otherInstanceRuns = false;
    int activationsSent = 0;
    bool acquire() override { return !otherInstanceRuns; }
    bool activateRunning() override
    {
        ++activationsSent;
        return true;
    }
    // A later start asks this program to come forward.
    void activate()
    {
        if (onActivate)
            onActivate();
    }
};

class FakeMessageBoxes final : public MessageBoxes
{
public:
    struct Shown
    {
        QString text;
        MsgButtons buttons;
        MsgIcon icon;
        QWidget* parent;
    };
    QList<Shown> shown;
    // Answers given in turn; once they run out, OK boxes answer Ok and others No / Cancel.
    QList<MsgResult> answers;

    // Runs while a box is up, as other events would.
    std::function<void()> whileShown;

    MsgResult show(QWidget* parent, const QString& text, MsgButtons buttons, MsgIcon icon) override
    {
        shown.append({text, buttons, icon, parent});
        if (whileShown)
            whileShown();
        if (!answers.isEmpty())
            return answers.takeFirst();
        switch (buttons) {
        case MsgButtons::Ok: return MsgResult::Ok;
        case MsgButtons::YesNo: return MsgResult::No;
        case MsgButtons::YesNoCancel: return MsgResult::Cancel;
        }
        return MsgResult::Ok;
    }
    QStringList texts() const
    {
        QStringList t;
        for (const Shown& s : shown)
            t << s.text;
        return t;
    }
};

class FakeFolderChooser final : public FolderChooser
{
public:
    QString chosen;       // what the user picks
    bool cancels = false; // the user cancels instead
    QStringList titles;   // titles the chooser was shown with

    QString choose(QWidget*, const QString& title, const QString& current) override
    {
        titles << title;
        return cancels ? current : chosen;
    }
};

} // namespace sora::fakes
