#include "TrayTip.h"

#include "Cp932.h"

namespace sora {

std::array<char, 64> TrayTipBytes(const QString& name)
{
    std::array<char, 64> tip;
    tip.fill(' ');
    std::size_t used = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        qsizetype n = 1;
        if (name.at(i).isHighSurrogate() && i + 1 < name.size() && name.at(i + 1).isLowSurrogate())
            n = 2;
        // A character without a code in code page 932 shows as "?", as the shell's conversion does.
        const QByteArray bytes = cp932::encode(name.mid(i, n)).value_or(QByteArrayLiteral("?"));
        i += n - 1;
        if (used + static_cast<std::size_t>(bytes.size()) > tip.size() - 1)
            break;
        for (const char b : bytes)
            tip[used++] = b;
    }
    tip[used] = '\0';
    return tip;
}

} // namespace sora
