#pragma once

#include "platform/WallClock.h"

namespace sora::fakes {

// A clock set by hand; a test says when the computer woke or the clock was set.
class FakeWallClock final : public WallClock
{
public:
    QDateTime time = QDateTime::currentDateTime();
    QDateTime now() const override { return time; }
    void resume() { emit resumed(); }
    void set(const QDateTime& to)
    {
        time = to;
        emit clockChanged();
    }
};

} // namespace sora::fakes
