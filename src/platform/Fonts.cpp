#include "Fonts.h"

#include <QStringList>

namespace sora {

namespace {
const QString kMsGothic = QStringLiteral("ＭＳ ゴシック");
}

void installFontSubstitutions()
{
    const QStringList faces = {QStringLiteral("IPAGothic"), QStringLiteral("IPAexGothic"),
                               QStringLiteral("Noto Sans CJK JP"), QStringLiteral("monospace")};
    QFont::insertSubstitutions(kMsGothic, faces);
}

QFont msGothic(int pointSize)
{
    QFont font(kMsGothic, pointSize, QFont::Normal);
    font.setStyleHint(QFont::TypeWriter);
    return font;
}

} // namespace sora
