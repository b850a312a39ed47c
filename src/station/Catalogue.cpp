#include "Catalogue.h"

#include "UserCache.h"
#include "app/AtomicFile.h"

#include <QDnsLookup>
#include <QFile>
#include <QHostAddress>
#include <QHostInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRandomGenerator>

#include <algorithm>
#include <memory>

namespace sora {

namespace {

constexpr int kTimeoutMs = 8000;
constexpr qint64 kClickSeconds = 600;
const QString kListFile = QStringLiteral("stations.json");

QStringList shuffled(QStringList list)
{
    std::shuffle(list.begin(), list.end(), *QRandomGenerator::global());
    return list;
}

} // namespace

Catalogue::Catalogue(QString cacheFolder, QObject* parent)
    : QObject(parent), m_cacheFolder(std::move(cacheFolder)), m_network(new QNetworkAccessManager(this))
{
    const QString own = qEnvironmentVariable("SORA_CATALOGUE").trimmed();
    if (!own.isEmpty())
        m_servers = {own.endsWith(u'/') ? own.chopped(1) : own};
}

QByteArray Catalogue::userAgent()
{
    return QByteArrayLiteral("SoraWindowEX/" SORA_VERSION);
}

QString Catalogue::defaultCacheFolder()
{
    return UserCacheFolder();
}

void Catalogue::get(const QString& request, Done done, qint64 maxAgeSeconds)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    m_answers.removeIf([&now](const auto& answer) { return answer.value().first.secsTo(now) >= kAnswerSeconds; });
    const auto kept = m_answers.constFind(request);
    if (kept != m_answers.constEnd() && kept->first.secsTo(now) < maxAgeSeconds) {
        done(kept->second, m_servers.value(0));
        return;
    }
    Pending pending{request, std::move(done)};
    if (m_servers.isEmpty()) {
        m_waiting.append(std::move(pending));
        discover();
        return;
    }
    send(std::move(pending));
}

void Catalogue::discover()
{
    if (m_discovering)
        return;
    m_discovering = true;
    // The SRV record names the servers at once; without it, the names of the list's addresses.
    auto* srv = new QDnsLookup(QDnsLookup::SRV, QStringLiteral("_api._tcp.radio-browser.info"), this);
    connect(srv, &QDnsLookup::finished, this, [this, srv] {
        srv->deleteLater();
        QStringList names;
        for (const QDnsServiceRecord& r : srv->serviceRecords())
            names << r.target();
        if (!names.isEmpty()) {
            discovered(names);
            return;
        }
        QHostInfo::lookupHost(QStringLiteral("all.api.radio-browser.info"), this, [this](const QHostInfo& all) {
            const QList<QHostAddress> addresses = all.addresses();
            if (addresses.isEmpty()) {
                discovered({});
                return;
            }
            auto found = std::make_shared<QStringList>();
            auto left = std::make_shared<qsizetype>(addresses.size());
            for (const QHostAddress& a : addresses) {
                QHostInfo::lookupHost(a.toString(), this, [this, found, left](const QHostInfo& back) {
                    if (back.error() == QHostInfo::NoError && QHostAddress(back.hostName()).isNull())
                        *found << back.hostName();
                    if (--*left == 0)
                        discovered(*found);
                });
            }
        });
    });
    srv->lookup();
}

void Catalogue::discovered(QStringList names)
{
    m_discovering = false;
    names.removeDuplicates();
    for (QString& name : names) {
        if (name.endsWith(u'.'))
            name.chop(1);
        name = QStringLiteral("https://") + name;
    }
    m_servers = shuffled(names);
    const QList<Pending> waiting = std::exchange(m_waiting, {});
    for (const Pending& p : waiting) {
        if (m_servers.isEmpty())
            p.done(std::nullopt, QString());
        else
            send(p);
    }
}

void Catalogue::send(Pending pending)
{
    const QString server = m_servers.value(0);
    QNetworkRequest request(QUrl(server + pending.request));
    request.setHeader(QNetworkRequest::UserAgentHeader, userAgent());
    request.setRawHeader("Accept", "application/json");
    request.setTransferTimeout(kTimeoutMs);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    QNetworkReply* reply = m_network->get(request);
    connect(reply, &QNetworkReply::finished, this, [this, reply, server, pending]() mutable {
        reply->deleteLater();
        const int status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        if (reply->error() == QNetworkReply::NoError && status >= 200 && status < 300) {
            const QByteArray body = reply->readAll();
            m_answers.insert(pending.request, {QDateTime::currentDateTimeUtc(), body});
            pending.done(body, server);
            return;
        }
        // The next server, once each; a server that failed goes to the end of the list.
        if (!m_servers.isEmpty() && m_servers.first() == server && m_servers.size() > 1)
            m_servers.append(m_servers.takeFirst());
        if (++pending.tried < m_servers.size()) {
            send(std::move(pending));
            return;
        }
        // None answered: the list is found anew next time, as the network may have come back.
        if (qEnvironmentVariableIsEmpty("SORA_CATALOGUE"))
            m_servers.clear();
        pending.done(std::nullopt, QString());
    });
}

void Catalogue::click(const QString& uuid)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const auto last = m_clicked.constFind(uuid);
    if (uuid.isEmpty() || (last != m_clicked.constEnd() && last->secsTo(now) < kClickSeconds))
        return;
    m_clicked.insert(uuid, now);
    const QString request = QStringLiteral("/json/url/") + QString::fromLatin1(QUrl::toPercentEncoding(uuid));
    m_answers.remove(request);
    get(request, [](const std::optional<QByteArray>&, const QString&) {});
}

void Catalogue::keepList(const QByteArray& json)
{
    if (!MakeOwnFolder(m_cacheFolder))
        return;
    QJsonObject kept{{QStringLiteral("time"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
                     {QStringLiteral("stations"), QJsonDocument::fromJson(json).array()}};
    writeFileAtomically(m_cacheFolder + u'/' + kListFile, QJsonDocument(kept).toJson(QJsonDocument::Compact));
}

std::optional<std::pair<QByteArray, QDateTime>> Catalogue::keptList() const
{
    // The user's own folder: a list planted by someone else is never read.
    if (!MakeOwnFolder(m_cacheFolder))
        return std::nullopt;
    QFile file(m_cacheFolder + u'/' + kListFile);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QJsonObject kept = QJsonDocument::fromJson(file.readAll()).object();
    const QJsonArray stations = kept.value(u"stations").toArray();
    if (stations.isEmpty())
        return std::nullopt;
    return std::make_pair(QJsonDocument(stations).toJson(QJsonDocument::Compact),
                          QDateTime::fromString(kept.value(u"time").toString(), Qt::ISODate));
}

} // namespace sora
