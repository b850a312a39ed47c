#pragma once

#include "platform/ProcessLauncher.h"

#include <QList>

namespace sora::fakes {

class FakeProcessLauncher final : public ProcessLauncher
{
public:
    QList<LaunchRequest> started;
    bool fails = false;
    QString failure = QStringLiteral("起動できません");

    qint64 nextPid = 0; // reported as the started process

    using ProcessLauncher::startDetached;
    bool startDetached(const LaunchRequest& request, QString* error, qint64* pid) override
    {
        if (pid)
            *pid = nextPid;
        if (fails) {
            if (error)
                *error = failure;
            return false;
        }
        started.append(request);
        return true;
    }
};

} // namespace sora::fakes
