#include "SavedLayout.h"

#include "Conversions.h"
#include "Settings.h"

#include <algorithm>
#include <cmath>

namespace sora {

namespace {

const QString kMainForm = QStringLiteral("MainForm");
const QString kSubForm = QStringLiteral("SubForm");

// X11 keeps window coordinates in 16 bits; beyond that a value is damage, not a layout.
constexpr double kMaxPosition = 32767 * 15.0;
constexpr double kMaxSize = 32767 * 15.0;

template <typename T, typename Convert>
T readOr(const QString& section, const QString& key, T fallback, Convert convert)
{
    const std::optional<QString> text = ReadSetting(section, key);
    if (!text)
        return fallback;
    const auto v = convert(*text);
    return v ? static_cast<T>(*v) : fallback;
}

std::optional<double> usablePosition(const QString& text)
{
    const std::optional<float> v = toSingle(text);
    if (!v || std::fabs(*v) > kMaxPosition)
        return std::nullopt;
    return *v;
}

std::optional<double> usableSize(const QString& text)
{
    const std::optional<float> v = toSingle(text);
    if (!v || *v < 0 || *v > kMaxSize)
        return std::nullopt;
    return *v;
}

std::optional<int> usableWindowState(const QString& text)
{
    const std::optional<qint16> v = toInteger(text);
    if (!v || *v < StateNormal || *v > StateMaximized)
        return std::nullopt;
    return *v;
}

QString readText(const QString& section, const QString& key, const QString& fallback)
{
    const std::optional<QString> v = ReadSetting(section, key);
    return v && !v->trimmed().isEmpty() ? *v : fallback;
}

QString formKey(int i, const char* property)
{
    return QStringLiteral("Form") + QString::number(i) + QLatin1String(property);
}

Geometry readGeometry(const QString& section, const QString& prefix, const Geometry& fallback)
{
    auto key = [&prefix](const char* name) { return prefix + QLatin1String(name); };
    Geometry g;
    g.top = readOr<double>(section, key("Top"), fallback.top, usablePosition);
    g.left = readOr<double>(section, key("Left"), fallback.left, usablePosition);
    g.width = readOr<double>(section, key("Width"), fallback.width, usableSize);
    g.height = readOr<double>(section, key("Height"), fallback.height, usableSize);
    return g;
}

} // namespace

SavedMain ReadSavedMain()
{
    SavedMain m;
    m.geometry = readGeometry(kMainForm, QString(),
                              Geometry{defaults::MainTop, defaults::MainLeft, defaults::MainWidth, defaults::MainHeight});
    m.interval = readOr<qint16>(kMainForm, QStringLiteral("TimeInterval"), defaults::TimeInterval, toInteger);
    m.url1 = readText(QStringLiteral("URL"), QStringLiteral("Url1"), defaults::url1());
    m.url2 = readText(QStringLiteral("URL"), QStringLiteral("Url2"), defaults::url2());
    return m;
}

qint32 ReadSavedCount()
{
    return std::min(readOr<qint32>(kSubForm, QStringLiteral("Count"), defaults::Count, toLong),
                    defaults::MaxRestoredWindows);
}

QList<SavedWindow> ReadSavedWindows(qint32 count)
{
    QList<SavedWindow> windows;
    for (int i = 1; i <= count; ++i) {
        const bool inDefaultFile = i <= defaults::Count;
        const std::optional<QString> typeText = ReadSetting(kSubForm, formKey(i, "WindowType"));
        const std::optional<double> type = typeText ? toDouble(*typeText) : std::nullopt;
        SavedWindow w;
        w.index = i;
        if (type)
            w.kind = *type == 1 ? PlayerWindow : PingWindow;
        else if (inDefaultFile)
            w.kind = i == 1 ? PlayerWindow : PingWindow;
        else
            continue;
        w.state = readOr<int>(kSubForm, formKey(i, "WindowState"), StateNormal, usableWindowState);
        const Geometry& fallback = inDefaultFile ? (i == 1 ? defaults::PlayerGeometry : defaults::PingGeometry)
                                                 : defaults::geometryOf(w.kind);
        w.geometry = readGeometry(kSubForm, formKey(i, ""), fallback);
        windows.append(w);
    }
    return windows;
}

bool WriteSavedLayout(const SavedMain& main, const QList<SavedWindow>& windows)
{
    SettingsBatch batch;
    bool ok = true;
    auto write = [&ok](const QString& section, const QString& key, const QString& value) {
        ok = ok && WriteSetting(section, key, value);
    };
    write(kMainForm, QStringLiteral("Top"), formatNumber(main.geometry.top));
    write(kMainForm, QStringLiteral("Left"), formatNumber(main.geometry.left));
    write(kMainForm, QStringLiteral("Height"), formatNumber(main.geometry.height));
    write(kMainForm, QStringLiteral("Width"), formatNumber(main.geometry.width));
    write(kSubForm, QStringLiteral("Count"), QString::number(windows.size()));
    write(kMainForm, QStringLiteral("TimeInterval"), QString::number(main.interval));
    int i = 0;
    for (const SavedWindow& w : windows) {
        const QString form = QStringLiteral("Form") + QString::number(++i);
        write(kSubForm, form + QStringLiteral("Top"), formatNumber(w.geometry.top));
        write(kSubForm, form + QStringLiteral("Left"), formatNumber(w.geometry.left));
        write(kSubForm, form + QStringLiteral("Height"), formatNumber(w.geometry.height));
        write(kSubForm, form + QStringLiteral("Width"), formatNumber(w.geometry.width));
        write(kSubForm, form + QStringLiteral("WindowState"), QString::number(w.state));
        write(kSubForm, form + QStringLiteral("WindowType"), QString::number(w.kind == PlayerWindow ? 1 : 2));
    }
    // On a key that could not be stored, what came before it is written all the same.
    return batch.commit() && ok;
}

QString ReadRecFolder(const QString& programFolder)
{
    return readText(QStringLiteral("Setting"), QStringLiteral("RF"), defaults::recFolder(programFolder));
}

} // namespace sora
