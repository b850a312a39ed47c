#include "UrlValue.h"

namespace sora {

QString GetUrlValue(const QString& address, const QString& key)
{
    if (key.isEmpty())
        return QString();
    const qsizetype at = address.indexOf(key, 0, Qt::CaseSensitive);
    if (at < 0)
        return QString();
    const qsizetype start = at + key.size();
    const qsizetype end = address.indexOf(u'&', start);
    return address.mid(start, end < 0 ? -1 : end - start);
}

bool IsStationPage(const QString& address)
{
    return !GetUrlValue(address, QStringLiteral("&serv=")).isEmpty() &&
           !GetUrlValue(address, QStringLiteral("&mount=")).isEmpty();
}

} // namespace sora
