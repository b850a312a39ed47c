#pragma once

#include <QObject>

namespace sora {

// Keeps the mouse's side buttons from the windows while the input devices handle them. Left to
// the windows, the browser under the cursor would take a step of its own and the press would
// activate the child under it, so one press could move two steps, or move a window that was not
// the active one. It filters the whole application from its making to its deletion.
class SideButtonFilter final : public QObject
{
public:
    static constexpr const char* kName = "sideButtonFilter";

    explicit SideButtonFilter(QObject* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace sora
