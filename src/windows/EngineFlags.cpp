#include "EngineFlags.h"

#include <QList>

#include <algorithm>
#include <array>

namespace sora {

QByteArray withProcessPerSite(const QByteArray& userFlags)
{
    static constexpr std::array<const char*, 4> kProcessModels{"single-process", "process-per-tab",
                                                               "process-per-site", "site-per-process"};
    const QList<QByteArray> words = userFlags.simplified().split(' ');
    const bool chosen = std::any_of(words.begin(), words.end(), [](QByteArray word) {
        // The engine takes "-" or "--" and an optional "=value" on any switch.
        while (word.startsWith('-'))
            word.remove(0, 1);
        word.truncate(word.indexOf('=') < 0 ? word.size() : word.indexOf('='));
        return std::any_of(kProcessModels.begin(), kProcessModels.end(),
                           [&word](const char* model) { return word == model; });
    });
    if (chosen)
        return userFlags;
    const QByteArray trimmed = userFlags.trimmed();
    return trimmed.isEmpty() ? QByteArrayLiteral("--process-per-site") : trimmed + " --process-per-site";
}

QByteArray withoutMediaBridge(const QByteArray& flags)
{
    static const QByteArray key = "--disable-features=";
    static const QByteArray feature = "HardwareMediaKeyHandling";
    QList<QByteArray> words = flags.simplified().split(' ');
    words.removeAll(QByteArray());
    const auto own = std::find_if(words.begin(), words.end(), [](const QByteArray& w) { return w.startsWith(key); });
    if (own == words.end())
        words.append(key + feature);
    else if (!own->mid(key.size()).split(',').contains(feature))
        *own += (own->size() > key.size() ? "," : "") + feature;
    return words.join(' ');
}

} // namespace sora
