#include "DirectoryPages.h"

#include "Catalogue.h"
#include "app/Defaults.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QSet>
#include <QUrlQuery>

#include <algorithm>
#include <memory>
#include <optional>

namespace sora {

namespace {

// The demo directory's look: compact, fixed measures.
const char kStyle[] = R"(
body { font-family: sans-serif; margin: 8px auto; max-width: 40em; padding: 0 8px 4em; }
h1 { font-size: 16px; line-height: 20px; margin: 8px 0; white-space: nowrap; overflow: hidden; }
h2 { font-size: 14px; line-height: 18px; margin: 12px 0 4px; }
p, form { font-size: 13px; line-height: 16px; margin: 4px 0; }
input, select, button { font-size: 13px; }
input[type=search] { width: 16em; }
ul.stations { list-style: none; padding: 0; margin: 8px 0; }
ul.stations li { margin: 6px 0; }
ul.stations a { display: block; min-height: 38px; padding: 4px 12px; border: 1px solid #99a;
  border-radius: 6px; text-decoration: none; color: #124; overflow: hidden; }
ul.stations a:hover { background: #e8eefc; border-color: #46c; }
.genre { display: block; font-size: 0.85em; color: #556; }
.norec { color: #844; }
.notice { border: 1px solid #c96; background: #fff6e8; padding: 6px 8px; }
.tags a { margin-right: 6px; }
)";

QString esc(const QString& text)
{
    return text.toHtmlEscaped();
}

QByteArray page(const QString& title, const QString& body)
{
    return (QStringLiteral("<!DOCTYPE html>\n<html lang=\"ja\"><head><meta charset=\"utf-8\"><title>") + esc(title) +
            QStringLiteral("</title><style>") + QString::fromLatin1(kStyle) + QStringLiteral("</style></head>\n<body>\n") +
            body + QStringLiteral("\n</body></html>\n"))
        .toUtf8();
}

QString enc(const QString& value)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(value));
}

QString listAddress(const QString& q, const QString& tag, const QString& country, int pageNo)
{
    QStringList parts;
    if (!q.isEmpty())
        parts << QStringLiteral("q=") + enc(q);
    if (!tag.isEmpty())
        parts << QStringLiteral("tag=") + enc(tag);
    if (!country.isEmpty())
        parts << QStringLiteral("country=") + enc(country);
    if (pageNo > 0)
        parts << QStringLiteral("page=") + QString::number(pageNo);
    return QStringLiteral("stations") + (parts.isEmpty() ? QString() : u'?' + parts.join(u'&'));
}

QString entry(const CatalogueStation& s)
{
    QStringList about;
    if (!s.tags.isEmpty())
        about << s.tags.mid(0, 5).join(QStringLiteral(", "));
    QString format = s.codec.isEmpty() ? QStringLiteral("形式不明") : s.codec;
    if (s.bitrate > 0)
        format += u' ' + QString::number(s.bitrate) + QStringLiteral(" kbps");
    about << format;
    if (!s.countryCode.isEmpty())
        about << s.countryCode;
    const std::optional<QString> norec = NotRecordable(s);
    QString line = esc(about.join(QStringLiteral(" ・ "))) + QStringLiteral(" ・ ");
    line += norec ? QStringLiteral("<span class=\"norec\">") + esc(*norec) + QStringLiteral("</span>")
                  : QStringLiteral("録音できます");
    if (!s.lastCheckOk)
        line += QStringLiteral(" ・ <span class=\"norec\">最後の確認で応答なし</span>");
    const QString name = s.name.isEmpty() ? QStringLiteral("（名前のない放送局）") : s.name;
    return QStringLiteral("<li><a href=\"") + esc(StationPageAddress(s)) + QStringLiteral("\">") + esc(name) +
           QStringLiteral("<span class=\"genre\">") + line + QStringLiteral("</span></a></li>");
}

QString entries(const QList<CatalogueStation>& stations)
{
    QString out = QStringLiteral("<ul class=\"stations\">\n");
    for (const CatalogueStation& s : stations)
        out += entry(s) + u'\n';
    return out + QStringLiteral("</ul>\n");
}

QString time(const QDateTime& t)
{
    return t.isValid() ? t.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : QStringLiteral("不明");
}

// Answers to several requests, handed over once all are in.
struct Gather
{
    QList<std::optional<QByteArray>> bodies;
    QString server;
    int left = 0;
    std::function<void(const Gather&)> done;
};

void ask(Catalogue& catalogue, const QStringList& requests, qint64 maxAge, std::function<void(const Gather&)> done)
{
    auto g = std::make_shared<Gather>();
    g->bodies.resize(requests.size());
    g->left = static_cast<int>(requests.size());
    g->done = std::move(done);
    for (int i = 0; i < requests.size(); ++i) {
        catalogue.get(requests[i], [g, i](const std::optional<QByteArray>& body, const QString& server) {
            g->bodies[i] = body;
            if (body)
                g->server = server;
            if (--g->left == 0)
                g->done(*g);
        }, maxAge);
    }
}

QString search(int offset)
{
    return QStringLiteral("/json/stations/search?hidebroken=true&order=clickcount&reverse=true&limit=") +
           QString::number(DirectoryPages::kPageSize) + QStringLiteral("&offset=") + QString::number(offset);
}

// The catalogue's lists of tags and countries, as a filter's options.
QString options(const std::optional<QByteArray>& json, const QString& key, const QString& chosen, const QString& all)
{
    QString out = QStringLiteral("<option value=\"\">") + all + QStringLiteral("</option>");
    bool found = chosen.isEmpty();
    if (json) {
        for (const QJsonValue& v : QJsonDocument::fromJson(*json).array()) {
            const QJsonObject o = v.toObject();
            const QString value = o.value(key).toString();
            if (value.isEmpty())
                continue;
            QString label = o.value(u"name").toString();
            if (label != value)
                label = value + QStringLiteral("（") + label + QStringLiteral("）");
            found = found || value == chosen;
            out += QStringLiteral("<option value=\"") + esc(value) + u'"' +
                   (value == chosen ? QStringLiteral(" selected") : QString()) + u'>' + esc(label) +
                   QStringLiteral("</option>");
        }
    }
    if (!found)
        out += QStringLiteral("<option selected value=\"") + esc(chosen) + QStringLiteral("\">") + esc(chosen) +
               QStringLiteral("</option>");
    return out;
}

} // namespace

QString CatalogueTag(const QString& word)
{
    static const QHash<QString, QString> tags{
        {QStringLiteral("ジャズ"), QStringLiteral("jazz")},        {QStringLiteral("ニュース"), QStringLiteral("news")},
        {QStringLiteral("クラシック"), QStringLiteral("classical")}, {QStringLiteral("ロック"), QStringLiteral("rock")},
        {QStringLiteral("ポップス"), QStringLiteral("pop")},       {QStringLiteral("ポップ"), QStringLiteral("pop")},
        {QStringLiteral("アニメ"), QStringLiteral("anime")},       {QStringLiteral("演歌"), QStringLiteral("enka")},
        {QStringLiteral("トーク"), QStringLiteral("talk")},        {QStringLiteral("ダンス"), QStringLiteral("dance")},
        {QStringLiteral("ヒップホップ"), QStringLiteral("hip-hop")}, {QStringLiteral("レゲエ"), QStringLiteral("reggae")},
        {QStringLiteral("ブルース"), QStringLiteral("blues")},     {QStringLiteral("カントリー"), QStringLiteral("country")},
        {QStringLiteral("メタル"), QStringLiteral("metal")},       {QStringLiteral("スポーツ"), QStringLiteral("sports")},
        {QStringLiteral("ラウンジ"), QStringLiteral("lounge")},    {QStringLiteral("アンビエント"), QStringLiteral("ambient")},
        {QStringLiteral("懐メロ"), QStringLiteral("oldies")},      {QStringLiteral("オールディーズ"), QStringLiteral("oldies")},
        {QStringLiteral("電子音楽"), QStringLiteral("electronic")}, {QStringLiteral("テクノ"), QStringLiteral("techno")},
    };
    const QString w = word.trimmed();
    return tags.value(w, w.toLower());
}

DirectoryPages::DirectoryPages(Catalogue& catalogue, QObject* parent) : QObject(parent), m_catalogue(catalogue) {}

QList<CatalogueStation> DirectoryPages::remember(const QByteArray& json)
{
    QList<CatalogueStation> out;
    for (const QJsonValue& v : QJsonDocument::fromJson(json).array()) {
        const CatalogueStation s = CatalogueStation::fromJson(v.toObject());
        if (s.uuid.isEmpty() || s.stream.isEmpty())
            continue;
        m_seen.insert(s.uuid, s);
        out << s;
    }
    return out;
}

void DirectoryPages::render(const QUrl& address, std::function<void(const QByteArray&)> done)
{
    const QString path = address.path();
    if (path == u"/stations" || path == u"/" || path.isEmpty())
        listPage(address, std::move(done));
    else if (path == u"/station")
        stationPage(address, std::move(done));
    else if (path == u"/ping")
        pingPage(std::move(done));
    else
        done(page(QStringLiteral("ページが見つかりません"),
                  QStringLiteral("<h1>ページが見つかりません</h1>\n<p><a href=\"stations\">放送局一覧へ</a></p>")));
}

void DirectoryPages::listPage(const QUrl& address, std::function<void(const QByteArray&)> done)
{
    const QUrlQuery query(address);
    const QString q = query.queryItemValue(QStringLiteral("q"), QUrl::FullyDecoded).trimmed();
    const QString tag = query.queryItemValue(QStringLiteral("tag"), QUrl::FullyDecoded).trimmed();
    const QString country = query.queryItemValue(QStringLiteral("country"), QUrl::FullyDecoded).trimmed().toUpper();
    const int pageNo = qBound(0, query.queryItemValue(QStringLiteral("page")).toInt(), 1000);
    const bool front = q.isEmpty() && tag.isEmpty() && country.isEmpty() && pageNo == 0;

    QString filter = search(pageNo * kPageSize);
    if (!country.isEmpty())
        filter += QStringLiteral("&countrycode=") + enc(country);
    if (!tag.isEmpty())
        filter += QStringLiteral("&tagExact=true&tag=") + enc(tag);
    QStringList requests{QStringLiteral("/json/tags?order=stationcount&reverse=true&hidebroken=true&limit=60"),
                         QStringLiteral("/json/countries?order=stationcount&reverse=true&hidebroken=true&limit=80")};
    if (front)
        requests << filter + QStringLiteral("&countrycode=JP") << filter;
    else if (!q.isEmpty())
        requests << filter + QStringLiteral("&name=") + enc(q)
                 << (tag.isEmpty() ? filter + QStringLiteral("&tag=") + enc(CatalogueTag(q)) : QString());
    else
        requests << filter;
    requests.removeAll(QString());

    ask(m_catalogue, requests, Catalogue::kAnswerSeconds, [=, this](const Gather& g) {
        QString body = QStringLiteral("<h1>ソラマド 放送局一覧</h1>\n");
        body += QStringLiteral("<form action=\"stations\" method=\"get\" role=\"search\">"
                               "<input type=\"search\" name=\"q\" aria-label=\"検索\" "
                               "placeholder=\"名前かジャンル（jazz など）\" value=\"") +
                esc(q) + QStringLiteral("\"> <select name=\"tag\" aria-label=\"タグ\">") +
                options(g.bodies[0], QStringLiteral("name"), tag, QStringLiteral("すべてのタグ")) +
                QStringLiteral("</select> <select name=\"country\" aria-label=\"国\">") +
                options(g.bodies[1], QStringLiteral("iso_3166_1"), country, QStringLiteral("すべての国")) +
                QStringLiteral("</select> <button type=\"submit\">探す</button></form>\n");

        QList<std::optional<QByteArray>> lists = g.bodies.mid(2);
        const bool answered = std::all_of(lists.cbegin(), lists.cend(), [](const auto& b) { return b.has_value(); });
        QList<CatalogueStation> found;
        QList<QList<CatalogueStation>> parts;
        QSet<QString> shown;
        for (const auto& b : lists) {
            QList<CatalogueStation> part;
            for (const CatalogueStation& s : b ? remember(*b) : QList<CatalogueStation>()) {
                if (!shown.contains(s.uuid)) {
                    shown.insert(s.uuid);
                    part << s;
                }
            }
            parts << part;
        }
        const bool more = std::any_of(lists.cbegin(), lists.cend(), [](const auto& b) {
            return b && QJsonDocument::fromJson(*b).array().size() >= kPageSize;
        });

        if (!answered) {
            const auto kept = front ? m_catalogue.keptList() : std::nullopt;
            body += QStringLiteral("<p class=\"notice\" role=\"alert\">放送局一覧のサーバーに接続できません。");
            if (kept) {
                body += QStringLiteral("前回受け取った一覧を表示しています。</p>\n<h2>前回受け取った一覧（") +
                        esc(time(kept->second)) + QStringLiteral("）</h2>\n") + entries(remember(kept->first));
            } else {
                body += QStringLiteral("ネットワークの接続を確かめて、<a href=\"") + esc(address.toString(QUrl::FullyEncoded)) +
                        QStringLiteral("\">もう一度読み込んでください</a>。</p>\n");
            }
            done(page(QStringLiteral("ソラマド 放送局一覧"), body));
            return;
        }
        if (front) {
            QList<CatalogueStation> all = parts.value(0) + parts.value(1);
            QJsonArray kept;
            for (const CatalogueStation& s : all)
                kept.append(s.toJson());
            // Written when it changed, not at every reload of the page.
            const QByteArray list = QJsonDocument(kept).toJson(QJsonDocument::Compact);
            if (list != m_kept) {
                m_kept = list;
                m_catalogue.keepList(list);
            }
            body += QStringLiteral("<h2>日本の放送局</h2>\n") + entries(parts.value(0)) +
                    QStringLiteral("<h2>世界で人気の放送局</h2>\n") + entries(parts.value(1));
        } else {
            for (const auto& part : parts)
                found += part;
            std::stable_sort(found.begin(), found.end(),
                             [](const CatalogueStation& a, const CatalogueStation& b) { return a.clicks > b.clicks; });
            QString heading = q.isEmpty() ? QStringLiteral("放送局") : QStringLiteral("「") + q + QStringLiteral("」の検索結果");
            body += QStringLiteral("<h2>") + esc(heading) + QStringLiteral("</h2>\n");
            body += found.isEmpty() ? QStringLiteral("<p>見つかりませんでした。</p>\n") : entries(found);
        }
        QStringList nav;
        if (pageNo > 0)
            nav << QStringLiteral("<a href=\"") + esc(listAddress(q, tag, country, pageNo - 1)) + QStringLiteral("\">前へ</a>");
        if (more)
            nav << QStringLiteral("<a href=\"") + esc(listAddress(q, tag, country, pageNo + 1)) + QStringLiteral("\">次へ</a>");
        if (!front)
            nav << QStringLiteral("<a href=\"stations\">放送局一覧へ戻る</a>");
        if (!nav.isEmpty())
            body += QStringLiteral("<p>") + nav.join(QStringLiteral(" ")) + QStringLiteral("</p>\n");
        body += QStringLiteral("<p>放送局の情報: Radio Browser（") + esc(g.server) + QStringLiteral("）</p>");
        done(page(QStringLiteral("ソラマド 放送局一覧"), body));
    });
}

void DirectoryPages::stationPage(const QUrl& address, std::function<void(const QByteArray&)> done)
{
    const QString uuid = QUrlQuery(address).queryItemValue(QStringLiteral("id"), QUrl::FullyDecoded);
    auto show = [this, uuid, done](const std::optional<CatalogueStation>& station) {
        if (!station) {
            done(page(QStringLiteral("放送局が見つかりません"),
                      QStringLiteral("<h1>放送局が見つかりません</h1>\n<p>放送局一覧のサーバーに接続できないか、"
                                     "この放送局は一覧から消えました。</p>\n<p><a href=\"stations\">放送局一覧へ戻る</a></p>")));
            return;
        }
        m_catalogue.click(uuid);
        const CatalogueStation& s = *station;
        QString body = QStringLiteral("<h1>") + esc(s.name) + QStringLiteral("</h1>\n<p><audio controls autoplay src=\"") +
                       esc(s.stream) + QStringLiteral("\"></audio></p>\n<ul class=\"stations\">") + entry(s) +
                       QStringLiteral("</ul>\n");
        if (!s.tags.isEmpty()) {
            body += QStringLiteral("<p class=\"tags\">タグ: ");
            for (const QString& t : s.tags)
                body += QStringLiteral("<a href=\"") + esc(listAddress({}, t, {}, 0)) + QStringLiteral("\">") + esc(t) +
                        QStringLiteral("</a>");
            body += QStringLiteral("</p>\n");
        }
        if (QUrl(s.homepage).scheme().startsWith(u"http"))
            body += QStringLiteral("<p><a href=\"") + esc(s.homepage) + QStringLiteral("\" target=\"_blank\">放送局のサイト</a></p>\n");
        body += QStringLiteral("<p><a href=\"stations\">放送局一覧へ戻る</a></p>");
        done(page(s.name, body));
    };
    if (m_seen.contains(uuid)) {
        show(m_seen.value(uuid));
        return;
    }
    m_catalogue.get(QStringLiteral("/json/stations/byuuid?uuids=") + enc(uuid),
                    [this, show](const std::optional<QByteArray>& body, const QString&) {
                        const QList<CatalogueStation> list = body ? remember(*body) : QList<CatalogueStation>();
                        show(list.isEmpty() ? std::nullopt : std::optional(list.first()));
                    });
}

void DirectoryPages::pingPage(std::function<void(const QByteArray&)> done)
{
    // A survival check asks anew each time (the page is reloaded every few minutes at most).
    ask(m_catalogue, {QStringLiteral("/json/stats"), QStringLiteral("/json/stations/lastchange?limit=1")}, 30,
        [done](const Gather& g) {
            const QString now = time(QDateTime::currentDateTime());
            if (!g.bodies[0]) {
                done(page(QStringLiteral("生存確認"),
                          QStringLiteral("<h1>放送局一覧のサーバーに接続できません</h1>\n<p>確認時刻: <span id=\"time\">") +
                              now + QStringLiteral("</span></p>")));
                return;
            }
            const QJsonObject stats = QJsonDocument::fromJson(*g.bodies[0]).object();
            QString last = QStringLiteral("不明");
            if (g.bodies[1]) {
                const QJsonObject s = QJsonDocument::fromJson(*g.bodies[1]).array().first().toObject();
                QString t = s.value(u"lastchangetime_iso8601").toString();
                if (t.isEmpty())
                    t = s.value(u"lastchangetime").toString().replace(u' ', u'T') + u'Z';
                last = time(QDateTime::fromString(t, Qt::ISODate));
            }
            const QLocale c(QLocale::Japanese);
            done(page(QStringLiteral("生存確認"),
                      QStringLiteral("<h1>放送局一覧のサーバーは稼働中です</h1>\n<p>サーバー: ") + esc(g.server) +
                          QStringLiteral("</p>\n<p>放送局数: ") + c.toString(stats.value(u"stations").toInteger()) +
                          QStringLiteral("（応答なし ") + c.toString(stats.value(u"stations_broken").toInteger()) +
                          QStringLiteral("）</p>\n<p>最終更新: ") + esc(last) + QStringLiteral("</p>\n<p>確認時刻: <span id=\"time\">") +
                          now + QStringLiteral("</span></p>")));
        });
}

} // namespace sora
