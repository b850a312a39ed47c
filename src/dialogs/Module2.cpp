#include "Module2.h"

#include "app/AtomicFile.h"
#include "app/Cp932.h"

#include <QDir>

#include <algorithm>

namespace sora {

namespace {

// The title block's lines end under the end of the "=" rule.
constexpr int kRuleBytes = 77;

const QString kBoardAddress = QStringLiteral("http://bbs.example.net/sorabbs/");
const QString kHomeAddress = QStringLiteral("http://www.example.net");
const QString kCredit = QStringLiteral("Copyright(C) 2004 空窓製作所");

QString rightAligned(const QString& text)
{
    const qsizetype bytes = cp932::encode(text).value_or(QByteArray()).size();
    return QString(std::max<qsizetype>(0, kRuleBytes - bytes), QLatin1Char(' ')) + text;
}

} // namespace

QStringList ReadmeLines()
{
    const QString equalsRule(kRuleBytes, QLatin1Char('='));
    const QString dashRule(30, QLatin1Char('-'));
    // clang-format off: one line of the file per line here
    return {
        equalsRule,
        QString(),
        QStringLiteral("          ソラマドORBX Premium"),
        QString(),
        rightAligned(kBoardAddress),
        rightAligned(kHomeAddress),
        QString(),
        rightAligned(kCredit),
        QString(),
        equalsRule,
        QStringLiteral("いつもソラマドをご愛顧いただきありがとうございます。"),
        QStringLiteral("さて、Premiumバージョンの特徴として、視聴中のラジオの録音ができるようになりました。"),
        QStringLiteral("といっても、streamripperというコンソールソフトにコマンドを投げ込んで録音してもらうと"
                       "いう形をとっています。技術力不足ですいません。"),
        QStringLiteral("コンソールで動作する別アプリを使用するメリットとして、録音開始後はソラマドを終了して"
                       "も裏で動作します。"),
        QStringLiteral("設定に録音フォルダの項目が増えています。そこで保存フォルダを変更する事ができます。"),
        dashRule,
        QStringLiteral("Premiumバージョンの起動"),
        dashRule,
        QStringLiteral(
            "まず、streamripper.exeをダウンロードします。streamripper consoleとかで検索してください。"),
        QStringLiteral(
            "ダウンロードが完了したら、streamripper.exe､tre.dllの二つをソラマドと同じフォルダに解凍します｡ "),
        QStringLiteral(
            "このソフトに関しては他のファイルは不要ですが、Readmeは一度目を通しておいてください。"),
        QStringLiteral(
            "その状態でソラマドを起動すれば録音可能なPremiumバージョンとして起動するようになります。"),
        QStringLiteral(
            "もし、DLLが見つかりません。などのエラーが発生する場合は必要に応じてダウンロードしてください。"),
        QStringLiteral("streamripperはVC.netで作成されているようなので、MSVCR70.dllが必要です。"),
        QStringLiteral("また、コーデックにOggを使用しているようなので、Ogg "
                       "Vorbisも存在しなければエラーを吐くと思います。"),
        QStringLiteral("全て無料でダウンロードできるので、探してみてください。"),
        QStringLiteral("全てソラマドのフォルダに解凍すればOKです。"),
        QStringLiteral(
            "録音しているラジオが終了すると、再接続画面で止まっていると思うので、DOS窓を終了してください。"),
        QStringLiteral("また、streamripper.exe、tre.dllを削除した場合は通常版として起動します。"),
        dashRule,
        QStringLiteral("最後に"),
        dashRule,
        QStringLiteral("streamripperはフリーでダウンロードできますが、ソラマドに同梱して配布可能かどうかが疑"
                       "問だった為、隠しコマンドの形を取ることにしました。"),
        QStringLiteral("録音は視聴するのと同じ回線帯域を占有します。つまり、ラジオを聴きながら録音すると２倍"
                       "の負荷がかかることになります。"),
        QStringLiteral("複数録音も可能ですが、サーバ側の負荷を考え過度な多重ダウンロードは控えていただきたい"
                       "と思います。"),
        QStringLiteral("では、楽しいインターネットラジオライフをお送りください。"),
    };
    // clang-format on
}

// The texts are fixed and all have codes in code page 932.
QByteArray ReadmeBytes()
{
    QByteArray bytes;
    for (const QString& line : ReadmeLines())
        bytes += cp932::encode(line).value_or(QByteArray()) + "\r\n";
    return bytes;
}

QString ReadmePath(const QString& programFolder)
{
    return QDir(programFolder).filePath(QStringLiteral("readme2.txt"));
}

bool WriteReadme(const QString& programFolder, QString* error)
{
    return writeFileAtomically(ReadmePath(programFolder), ReadmeBytes(), error);
}

} // namespace sora
