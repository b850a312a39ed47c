#pragma once

#include <QMdiSubWindow>

namespace sora {

class BrowserFactory;
class WebBrowser;
struct Geometry;
struct WindowLayout;

// A child window of the main window: a player or ping window with its browser. Geometry is in
// twips: Top and Left inside the main window's workspace, Width and Height the outer size,
// frame included. It knows nothing of the main window: what the main window must hear of goes
// out as signals.
class ChildWindow : public QMdiSubWindow
{
    Q_OBJECT
public:
    ChildWindow(BrowserFactory& browsers, const QString& caption, const Geometry& size);

    QString Caption() const { return windowTitle(); }
    double Top() const;
    double Left() const;
    double Width() const;
    double Height() const;
    void SetTop(double twips);
    void SetLeft(double twips);
    void SetWidth(double twips);
    void SetHeight(double twips);
    // 0 normal, 1 minimised, 2 maximised
    int WindowState() const;
    void SetWindowState(int state);

    virtual void Form_Resize() = 0;

signals:
    // The browser's status text, for the main window's status bar.
    void StatusTextChange(const QString& text);
    // The user closed the window: gone at once for the user, though deleted only later.
    void Closed();

private:
    QWidget* m_client;

public:
    WebBrowser* const WebBrowser1;

protected:
    // The form's client area, where its controls sit.
    QWidget* client() const { return m_client; }
    // Applies the parts of a layout that every child window has: the browser's size and the snap.
    void applyLayout(const WindowLayout& layout);

    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
};

} // namespace sora
