// The reference for start-up and memory: a main window with a workspace and one Qt WebEngine view
// per child window, loading the given pages, and nothing else. It carries the same timing marks
// as the program. With --reload-minutes N it loads each page again every N minutes, as the
// program's reload timer does, for the soak benchmark.
//
//   bench_reference [--reload-minutes N] <width>x<height> <url>,<x>,<y>,<width>,<height> ...
#include "platform/BenchProbe.h"

#include <QApplication>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTimer>
#include <QUrl>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <cstdio>

namespace {

class MainWindow final : public QMainWindow
{
protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::WinIdChange)
            sora::bench::mainWindowCreated();
        return QMainWindow::event(e);
    }
};

// The workspace covers this main window whole, so the frame itself never paints: its first
// frame on the screen is the workspace's first paint, in the same pass.
class Workspace final : public QMdiArea
{
protected:
    bool viewportEvent(QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            sora::bench::mainWindowPainted();
        return QMdiArea::viewportEvent(e);
    }
};

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    int reloadMinutes = 0;
    if (args.value(0) == u"--reload-minutes") {
        reloadMinutes = args.value(1).toInt();
        args = args.mid(2);
    }
    const QStringList size = args.value(0).split(u'x');
    if (size.size() != 2) {
        std::fprintf(stderr, "usage: bench_reference [--reload-minutes N] <width>x<height> "
                             "<url>,<x>,<y>,<width>,<height> ...\n");
        return 2;
    }

    MainWindow window;
    auto* area = new Workspace;
    window.setCentralWidget(area);
    window.resize(size[0].toInt(), size[1].toInt());
    window.show();

    for (const QString& arg : args.mid(1)) {
        const QStringList f = arg.split(u',');
        if (f.size() != 5)
            return 2;
        auto* view = new QWebEngineView;
        // Station pages start their stream on opening, as in the program: without it the
        // reference would show the station silent and do much less work.
        view->settings()->setAttribute(QWebEngineSettings::PlaybackRequiresUserGesture, false);
        QObject::connect(view, &QWebEngineView::loadFinished, [](bool ok) { sora::bench::pageLoaded(ok); });
        QMdiSubWindow* sub = area->addSubWindow(view);
        sub->setGeometry(f[1].toInt(), f[2].toInt(), f[3].toInt(), f[4].toInt());
        sub->show();
        view->load(QUrl(f[0]));
        if (reloadMinutes > 0) {
            // Loads the address again rather than reload(): what the program's timer does.
            auto* timer = new QTimer(view);
            timer->setTimerType(Qt::CoarseTimer);
            QObject::connect(timer, &QTimer::timeout, view, [view, url = QUrl(f[0])] { view->load(url); });
            timer->start(reloadMinutes * 60000);
        }
    }
    return QApplication::exec();
}
