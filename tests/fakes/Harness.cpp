#include "Harness.h"

#include "windows/ChildWindow.h"

#include <QDir>
#include <QFile>

namespace sora::fakes {

Harness::Harness()
    : platform{ProgramInfo(m_dir.path(), QStringLiteral("SoraWindowEX")), instance, messages, folders, end, browsers,
               launcher, input, tray, probe, recordings, sleep, titles, clock}
{
    resetGlobals();
    m_main = std::make_unique<MDIForm1>(platform);
}

Harness::~Harness()
{
    m_main.reset();
    resetGlobals();
}

QString Harness::iniPath() const { return QDir(folder()).filePath(QStringLiteral("SoraWindowEX.ini")); }

void Harness::writeIni(const QByteArray& bytes) const
{
    QFile f(iniPath());
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

QByteArray Harness::readIni() const
{
    QFile f(iniPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Harness::touch(const QString& name) const
{
    QFile f(QDir(folder()).filePath(name));
    if (f.open(QIODevice::WriteOnly))
        f.write("x");
}

void Harness::enableRecording() const
{
    touch(QStringLiteral("streamripper.exe"));
    touch(QStringLiteral("tre.dll"));
}

bool Harness::load() { return endsProcess([this] { m_main->MDIForm_Load(); }) == -1; }

FakeBrowser* Harness::browser(int windowIndex) const
{
    ChildWindow* w = m_main->childAt(windowIndex);
    return w ? qobject_cast<FakeBrowser*>(w->WebBrowser1) : nullptr;
}

} // namespace sora::fakes
