#include "EngineFlags.h"

#include <QList>

#include <algorithm>
#include <array>

namespace sora {

namespace {

// Whether the flags hold one of the switches named (without dashes).
template <std::size_t N> bool hasSwitch(const QByteArray& flags, const std::array<const char*, N>& names)
{
    const QList<QByteArray> words = flags.simplified().split(' ');
    return std::any_of(words.begin(), words.end(), [&names](QByteArray word) {
        // The engine takes "-" or "--" and an optional "=value" on any switch.
        while (word.startsWith('-'))
            word.remove(0, 1);
        word.truncate(word.indexOf('=') < 0 ? word.size() : word.indexOf('='));
        return std::any_of(names.begin(), names.end(), [&word](const char* name) { return word == name; });
    });
}

} // namespace

QByteArray withProcessPerSite(const QByteArray& userFlags)
{
    static constexpr std::array<const char*, 4> kProcessModels{"single-process", "process-per-tab",
                                                               "process-per-site", "site-per-process"};
    if (hasSwitch(userFlags, kProcessModels))
        return userFlags;
    const QByteArray trimmed = userFlags.trimmed();
    return trimmed.isEmpty() ? QByteArrayLiteral("--process-per-site") : trimmed + " --process-per-site";
}

QByteArray withAudioBuffer(const QByteArray& flags)
{
    static constexpr std::array<const char*, 1> kSize{"audio-buffer-size"};
    if (hasSwitch(flags, kSize))
        return flags;
    const QByteArray trimmed = flags.trimmed();
    return trimmed.isEmpty() ? QByteArray(kAudioBufferSwitch) : trimmed + ' ' + kAudioBufferSwitch;
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
