#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QNetworkAccessManager;

namespace sora {

// The open station catalogue, asked as it asks its clients to: its servers come from its DNS
// list (the SRV record, else the names of the addresses of all.api.radio-browser.info), in random
// order, the next one on failure; every request names the program and its version. A base address
// in SORA_CATALOGUE replaces the list (tests, a mirror of one's own). Nothing here blocks: answers
// arrive on the event loop.
class Catalogue : public QObject
{
    Q_OBJECT
public:
    // `cacheFolder` keeps the last station list, for when no server answers.
    Catalogue(QString cacheFolder, QObject* parent = nullptr);

    // The body of a JSON request ("/json/stats", "/json/stations/search?..."), or nothing when no
    // server answered; `server` names the server that did. An answer younger than `maxAgeSeconds`
    // is reused, so pages reloaded by the timer cost the catalogue little.
    using Done = std::function<void(const std::optional<QByteArray>& body, const QString& server)>;
    static constexpr qint64 kAnswerSeconds = 300;
    void get(const QString& request, Done done, qint64 maxAgeSeconds = kAnswerSeconds);

    // Counts one play of the station, as the catalogue asks of players; a station counted in the
    // last few minutes is not counted again (a page loaded anew after a drop is no new play).
    void click(const QString& uuid);

    // The last station list kept and when it was received.
    void keepList(const QByteArray& json);
    std::optional<std::pair<QByteArray, QDateTime>> keptList() const;

    static QByteArray userAgent();
    // The user's own cache folder for the catalogue.
    static QString defaultCacheFolder();

private:
    struct Pending
    {
        QString request;
        Done done;
        int tried = 0;
    };
    void discover();
    void discovered(QStringList servers);
    void send(Pending pending);

    QString m_cacheFolder;
    QNetworkAccessManager* m_network;
    QStringList m_servers;       // base addresses, in the order to try them
    bool m_discovering = false;
    QList<Pending> m_waiting;    // asked while the servers are being found
    QHash<QString, std::pair<QDateTime, QByteArray>> m_answers;
    QHash<QString, QDateTime> m_clicked;
};

} // namespace sora
