// The start-up of the program: the main window's load handler and what it restores.
#include "Conversions.h"
#include "Defaults.h"
#include "Globals.h"
#include "Settings.h"
#include "frame/MDIForm1.h"
#include "platform/EndProcess.h"
#include "platform/MessageBoxes.h"
#include "platform/Platform.h"
#include "platform/SingleInstance.h"
#include "windows/ChildWindow.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace sora {

namespace {

const QString kMainForm = QStringLiteral("MainForm");
const QString kSubForm = QStringLiteral("SubForm");

// X11 keeps window coordinates in 16 bits; beyond that a value is damage, not a layout.
constexpr double kMaxPosition = 32767 * 15.0;
constexpr double kMaxSize = 32767 * 15.0;

// A value read for start-up: the stored one when it is usable, else the key's default.
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

} // namespace

void MDIForm1::MDIForm_Load()
{
    Platform& p = m_platform;

    // 1. One program per session: a second start ends before touching anything.
    if (!p.instance.acquire())
        p.end.end(0);

    // 2.
    SettingsFilePath(p.program);

    // 3.
    InitInput();

    // 4. Anything at the path, even an empty file or a folder, is left as it is.
    if (!QFileInfo::exists(gIniPath) && !QFileInfo(gIniPath).isSymLink()) {
        QString why;
        if (!WriteDefaultSettings(p.program, &why)) {
            p.messages.show(nullptr,
                            QStringLiteral("設定ファイルを作成できません。\r\n%1\r\n%2\r\n"
                                           "プログラムのフォルダに書き込めるか確認してください。")
                                .arg(QDir::toNativeSeparators(gIniPath), why),
                            MsgButtons::Ok, MsgIcon::Critical);
            ReleaseInput();
            p.end.end(1);
        }
    }

    // 5.
    DetectRecordingMode();

    // 6.
    SetTop(readOr<double>(kMainForm, QStringLiteral("Top"), defaults::MainTop, usablePosition));
    SetLeft(readOr<double>(kMainForm, QStringLiteral("Left"), defaults::MainLeft, usablePosition));
    SetHeight(readOr<double>(kMainForm, QStringLiteral("Height"), defaults::MainHeight, usableSize));
    SetWidth(readOr<double>(kMainForm, QStringLiteral("Width"), defaults::MainWidth, usableSize));

    // 7.
    gTimeInterval = readOr<qint16>(kMainForm, QStringLiteral("TimeInterval"), defaults::TimeInterval, toInteger);

    // 8.
    gUrl1 = readText(QStringLiteral("URL"), QStringLiteral("Url1"), defaults::url1());
    gUrl2 = readText(QStringLiteral("URL"), QStringLiteral("Url2"), defaults::url2());

    // 9.
    show();

    // 10.
    restoreWindows();

    // 11.
    FillTrayRecord();

    // 12.
    mInTray = 0;
    mTickCount = 0;
}

void MDIForm1::DetectRecordingMode()
{
    gPremium = false;
    const QDir folder(m_platform.program.folder());
    // Both files are always looked for.
    const bool library = QFileInfo(folder.filePath(QStringLiteral("tre.dll"))).isFile();
    const bool recorder = QFileInfo(folder.filePath(QStringLiteral("streamripper.exe"))).isFile();
    if (!library || !recorder)
        return;
    gPremium = true;
    gRecFolder = readText(QStringLiteral("Setting"), QStringLiteral("RF"), defaults::recFolder(m_platform.program.folder()));
    setWindowTitle(windowTitle() + QStringLiteral(" Premium"));
}

void MDIForm1::restoreWindows()
{
    const qint32 count = std::min(readOr<qint32>(kSubForm, QStringLiteral("Count"), defaults::Count, toLong),
                                  defaults::MaxRestoredWindows);
    for (int i = 1; i <= count; ++i) {
        // Windows 1 and 2 fall back to the default file's keys; a later window whose kind cannot
        // be read is left out, and the windows after it still open in their order.
        const bool inDefaultFile = i <= defaults::Count;
        const std::optional<QString> typeText = ReadSetting(kSubForm, formKey(i, "WindowType"));
        const std::optional<double> type = typeText ? toDouble(*typeText) : std::nullopt;
        int kind = 0;
        if (type)
            kind = *type == 1 ? PlayerWindow : PingWindow;
        else if (inDefaultFile)
            kind = i == 1 ? PlayerWindow : PingWindow;
        else
            continue;

        if (kind == PlayerWindow)
            M_NewPlayerWindow_Click();
        else
            M_NewPingWindow_Click();
        ChildWindow* w = childAt(windowCount() - 1);

        w->SetWindowState(readOr<int>(kSubForm, formKey(i, "WindowState"), StateNormal, usableWindowState));
        if (w->WindowState() != StateNormal)
            continue;
        const Geometry& fallback = inDefaultFile ? (i == 1 ? defaults::PlayerGeometry : defaults::PingGeometry)
                                                 : defaults::geometryOf(kind);
        w->SetTop(readOr<double>(kSubForm, formKey(i, "Top"), fallback.top, usablePosition));
        w->SetLeft(readOr<double>(kSubForm, formKey(i, "Left"), fallback.left, usablePosition));
        w->SetWidth(readOr<double>(kSubForm, formKey(i, "Width"), fallback.width, usableSize));
        w->SetHeight(readOr<double>(kSubForm, formKey(i, "Height"), fallback.height, usableSize));
    }
}

} // namespace sora
