#include "AtomicFile.h"

#include <QFileInfo>
#include <QSaveFile>

#include <sys/stat.h>
#include <unistd.h>

namespace sora {

namespace {

// Our one rule beyond the save file's own checks: no write bit means read-only, even for root,
// who passes every access() test.
bool isWriteProtected(const char* path, const struct stat& st)
{
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || ::access(path, W_OK) != 0;
}

bool fail(QString* error, const QString& why)
{
    if (error)
        *error = why;
    return false;
}

} // namespace

bool writeFileAtomically(const QString& path, const QByteArray& data, QString* error)
{
    QString target = path;
    // Write through a link to the real file, so the link itself stays.
    if (const QFileInfo link(path); link.isSymLink() && QFileInfo::exists(link.symLinkTarget()))
        target = link.symLinkTarget();

    const QString folder = QFileInfo(target).absolutePath();
    const QByteArray targetBytes = QFile::encodeName(target);
    const QByteArray folderBytes = QFile::encodeName(folder);

    struct stat folderStat = {};
    if (::stat(folderBytes.constData(), &folderStat) != 0 || !S_ISDIR(folderStat.st_mode))
        return fail(error, QStringLiteral("フォルダがありません: %1").arg(folder));
    if (isWriteProtected(folderBytes.constData(), folderStat))
        return fail(error, QStringLiteral("フォルダに書き込めません: %1").arg(folder));
    if (struct stat fileStat{}; ::stat(targetBytes.constData(), &fileStat) == 0) {
        if (!S_ISREG(fileStat.st_mode))
            return fail(error, QStringLiteral("ファイルではありません: %1").arg(target));
        if (isWriteProtected(targetBytes.constData(), fileStat))
            return fail(error, QStringLiteral("読み取り専用のファイルです: %1").arg(target));
    }

    // A temporary file in the same folder, synced to disk and renamed over the target on commit;
    // it keeps the target's permissions, and a new file gets what the umask allows. Never a
    // direct write: a crash must leave the old file or the new one.
    QSaveFile file(target);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, QStringLiteral("一時ファイルを作成できません: %1").arg(file.errorString()));
    // Flushed and checked here: Qt 6.4's commit() ignores a failed flush, so a write cut short
    // by a full disk would replace the file with its torn copy.
    if (file.write(data) != data.size() || !file.flush() || !file.commit()) {
        const QString why = file.errorString();
        file.cancelWriting();
        return fail(error, QStringLiteral("書き込みに失敗しました: %1").arg(why));
    }
    return true;
}

} // namespace sora
