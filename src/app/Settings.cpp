#include "Settings.h"

#include "AtomicFile.h"
#include "Conversions.h"
#include "Cp932.h"
#include "Defaults.h"
#include "Globals.h"
#include "ProfileDocument.h"
#include "platform/EndProcess.h"
#include "platform/MessageBoxes.h"
#include "platform/ProgramInfo.h"

#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sora {

namespace {

// Identity of the file as last read, so repeated reads parse it once and a file changed
// behind our back is read afresh.
struct Stamp
{
    dev_t dev = 0;
    ino_t ino = 0;
    off_t size = 0;
    timespec mtime{};
    timespec ctime{};

    static Stamp of(const struct stat& st) { return Stamp{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim}; }
    bool operator==(const Stamp& o) const
    {
        return dev == o.dev && ino == o.ino && size == o.size && mtime.tv_sec == o.mtime.tv_sec &&
               mtime.tv_nsec == o.mtime.tv_nsec && ctime.tv_sec == o.ctime.tv_sec &&
               ctime.tv_nsec == o.ctime.tv_nsec;
    }
};

enum class FileState { Present, Missing, Unreadable };

struct Store
{
    QString path;
    std::optional<Stamp> stamp;
    FileState state = FileState::Missing;
    ProfileDocument doc;
    bool inBatch = false;
    bool batchUsable = false;
    bool batchDirty = false;
};

Store& store()
{
    static Store s;
    return s;
}

void forget(Store& s)
{
    s.stamp.reset();
    s.doc = ProfileDocument();
}

bool readWhole(int fd, QByteArray& out)
{
    char buf[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        out.append(buf, n);
    }
}

// Brings the cached document up to date with the file at gIniPath.
FileState refresh(Store& s)
{
    if (s.path != gIniPath) {
        s.path = gIniPath;
        forget(s);
    }
    const QByteArray path = QFile::encodeName(gIniPath);
    struct stat st {};
    if (::stat(path.constData(), &st) != 0) {
        forget(s);
        return s.state = (errno == ENOENT || errno == ENOTDIR) ? FileState::Missing : FileState::Unreadable;
    }
    if (!S_ISREG(st.st_mode)) {
        forget(s);
        return s.state = FileState::Unreadable;
    }
    if (s.stamp && *s.stamp == Stamp::of(st))
        return s.state;

    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    QByteArray bytes;
    struct stat opened {};
    if (fd < 0 || ::fstat(fd, &opened) != 0 || !readWhole(fd, bytes)) {
        if (fd >= 0)
            ::close(fd);
        forget(s);
        return s.state = FileState::Unreadable;
    }
    ::close(fd);
    s.doc = ProfileDocument::parse(bytes);
    s.stamp = Stamp::of(opened);
    return s.state = FileState::Present;
}

bool save(Store& s)
{
    if (!writeFileAtomically(gIniPath, s.doc.serialize())) {
        forget(s); // the file still holds what it held; read it again next time
        return false;
    }
    struct stat st {};
    if (::stat(QFile::encodeName(gIniPath).constData(), &st) == 0 && S_ISREG(st.st_mode)) {
        s.stamp = Stamp::of(st);
        s.state = FileState::Present;
    } else {
        forget(s);
    }
    return true;
}

} // namespace

void SettingsFilePath(const ProgramInfo& program)
{
    QString folder = program.folder();
    if (!folder.endsWith(u'/'))
        folder += u'/';
    gIniPath = folder + ProgramInfo::title() + QStringLiteral(".ini");
}

std::optional<QString> ReadSetting(const QString& section, const QString& key)
{
    Store& s = store();
    if (!s.inBatch && refresh(s) != FileState::Present)
        return std::nullopt;
    const std::optional<QByteArray> sec = cp932::encode(section);
    const std::optional<QByteArray> k = cp932::encode(key);
    if (!sec || !k)
        return std::nullopt;
    const std::optional<QByteArray> v = s.doc.value(*sec, *k);
    if (!v)
        return std::nullopt;
    return cp932::decode(*v);
}

bool WriteSetting(const QString& section, const QString& key, const QString& value)
{
    Store& s = store();
    if (s.inBatch && !s.batchUsable)
        return false;
    // Never replace a file we could not read: its other keys would be lost.
    if (!s.inBatch && refresh(s) == FileState::Unreadable)
        return false;
    const std::optional<QByteArray> sec = cp932::encode(section);
    const std::optional<QByteArray> k = cp932::encode(key);
    const std::optional<QByteArray> v = cp932::encode(value);
    if (!sec || !k || !v)
        return false;
    if (s.inBatch) {
        if (!s.doc.setValue(*sec, *k, *v))
            return false;
        s.batchDirty = true;
        return true;
    }
    if (!s.doc.setValue(*sec, *k, *v))
        return false;
    return save(s);
}

QByteArray DefaultSettingsBytes(const QString& programFolder)
{
    using namespace defaults;
    const QString n = QStringLiteral("\r\n");
    auto num = [](double v) { return formatNumber(v); };
    QString text;
    text += QStringLiteral("[MainForm]") + n;
    text += QStringLiteral("Top=") + num(MainTop) + n;
    text += QStringLiteral("Left=") + num(MainLeft) + n;
    text += QStringLiteral("Height=") + num(MainHeight) + n;
    text += QStringLiteral("Width=") + num(MainWidth) + n;
    text += QStringLiteral("TimeInterval=") + num(TimeInterval) + n;
    text += QStringLiteral("[SubForm]") + n;
    text += QStringLiteral("Count=") + num(Count) + n;
    const struct
    {
        const Geometry& g;
        int kind;
    } windows[] = {{PlayerGeometry, PlayerWindow}, {PingGeometry, PingWindow}};
    int i = 0;
    for (const auto& w : windows) {
        const QString form = QStringLiteral("Form") + QString::number(++i);
        text += form + QStringLiteral("Top=") + num(w.g.top) + n;
        text += form + QStringLiteral("Left=") + num(w.g.left) + n;
        text += form + QStringLiteral("Width=") + num(w.g.width) + n;
        text += form + QStringLiteral("Height=") + num(w.g.height) + n;
        text += form + QStringLiteral("WindowType=") + num(w.kind) + n;
        text += form + QStringLiteral("WindowState=") + num(StateNormal) + n;
    }
    text += QStringLiteral("[URL]") + n;
    text += QStringLiteral("Url1=\"") + url1() + QStringLiteral("\"") + n;
    text += QStringLiteral("Url2=\"") + url2() + QStringLiteral("\"") + n;
    text += QStringLiteral("[Setting]") + n;

    QByteArray bytes = cp932::encode(text).value_or(QByteArray());
    const std::optional<QByteArray> rf = cp932::encode(QStringLiteral("RF=") + recFolder(programFolder) + n);
    if (rf && ProfileDocument::isStorableValue(rf->chopped(2)))
        bytes += *rf;
    return bytes;
}

bool WriteDefaultSettings(const ProgramInfo& program, QString* error)
{
    forget(store());
    return writeFileAtomically(gIniPath, DefaultSettingsBytes(program.folder()), error);
}

SettingsBatch::SettingsBatch()
{
    Store& s = store();
    s.batchUsable = refresh(s) != FileState::Unreadable;
    s.inBatch = true;
    s.batchDirty = false;
}

SettingsBatch::~SettingsBatch()
{
    Store& s = store();
    if (s.inBatch && s.batchDirty)
        forget(s); // drop what was never committed
    s.inBatch = false;
    s.batchDirty = false;
}

bool SettingsBatch::commit()
{
    Store& s = store();
    if (!s.inBatch)
        return true;
    s.inBatch = false;
    const bool dirty = s.batchDirty;
    s.batchDirty = false;
    if (!s.batchUsable)
        return false;
    return !dirty || save(s);
}

void SettingsWriteFailed(MessageBoxes& messages, EndProcess& end)
{
    messages.show(nullptr, QStringLiteral("設定保存に失敗しますた。"), MsgButtons::Ok, MsgIcon::Exclamation);
    end.end(1);
}

} // namespace sora
