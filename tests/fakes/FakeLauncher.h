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

    bool startDetached(const LaunchRequest& request, QString* error) override
    {
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
