#pragma once

#include <QAbstractNativeEventFilter>
#include <QObject>

#include <optional>

class QWidget;

namespace sora::x11 {

// Whether the window manager holds the top-level window iconic (its WM_STATE), read from the X
// server now; nothing when the program does not run on X11.
std::optional<bool> isIconic(QWidget& window);

// Follows whether the X server holds a top-level window wholly covered by other windows (its
// visibility events). Under a compositing manager no window is ever covered, and off X11 nothing
// is reported.
class CoverWatch final : public QObject, public QAbstractNativeEventFilter
{
    Q_OBJECT
public:
    explicit CoverWatch(QObject* parent = nullptr);
    ~CoverWatch() override;

    // Watches the window's native window as it is now: one made anew must be watched again.
    void watch(QWidget& window);
    bool covered() const { return m_covered; }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;

signals:
    void coveredChanged(bool covered);

private:
    unsigned long m_window = 0;
    bool m_covered = false;
};

} // namespace sora::x11
