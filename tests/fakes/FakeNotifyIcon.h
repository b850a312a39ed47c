#pragma once

#include "platform/NotifyIcon.h"

#include <QStringList>

namespace sora::fakes {

class FakeNotifyIcon final : public NotifyIcon
{
public:
    bool available = true;
    bool refuses = false; // the area is there but does not take the icon
    int adds = 0;
    int removes = 0;
    bool shown = false;
    NOTIFYICONDATAA lastData;
    QStringList messages; // "title: text" of each notification

    bool isAvailable() const override { return available; }
    bool add(const NOTIFYICONDATAA& data) override
    {
        ++adds;
        lastData = data;
        shown = available && !refuses;
        return shown;
    }
    bool remove(const NOTIFYICONDATAA& data) override
    {
        ++removes;
        lastData = data;
        shown = false;
        return true;
    }
    void showMessage(const QString& title, const QString& text) override
    {
        messages.append(title + QStringLiteral(": ") + text);
    }
    // The user does something over the icon.
    void send(quint32 message)
    {
        if (onMessage)
            onMessage(message);
    }
};

} // namespace sora::fakes
