#pragma once

#include "CatalogueStation.h"

#include <QByteArray>
#include <QHash>
#include <QObject>
#include <QUrl>

#include <functional>

namespace sora {

class Catalogue;

// The built-in directory's pages, made from the catalogue's answers: the station list (Japanese
// stations first, then the most listened; search by name and tag, filters by tag and country, page
// by page), one page per station that plays its stream, and the survival page of the catalogue
// server. Everything the catalogue says is shown as text, never as markup.
class DirectoryPages : public QObject
{
    Q_OBJECT
public:
    explicit DirectoryPages(Catalogue& catalogue, QObject* parent = nullptr);

    // The page for `address` (its path names the page), as UTF-8 HTML, handed over once ready.
    void render(const QUrl& address, std::function<void(const QByteArray& html)> done);

    static constexpr int kPageSize = 40;

private:
    void listPage(const QUrl& address, std::function<void(const QByteArray&)> done);
    void stationPage(const QUrl& address, std::function<void(const QByteArray&)> done);
    void pingPage(std::function<void(const QByteArray&)> done);
    QList<CatalogueStation> remember(const QByteArray& json);

    Catalogue& m_catalogue;
    QHash<QString, CatalogueStation> m_seen; // stations of the lists shown, by uuid
    QByteArray m_kept;                       // the list last kept for when no server answers
};

// What a search word asks the catalogue for as a tag: its own tags are mostly English, so the
// common Japanese genre names are turned into theirs ("ジャズ" into "jazz"); other words as they are.
QString CatalogueTag(const QString& word);

} // namespace sora
