#include "platform/qt/FontSubstitution.h"

#include <QFont>

namespace skyroll::qt {

QStringList proportionalJapaneseFamilies() {
    return {QStringLiteral("IPAPGothic"),        QStringLiteral("IPAexGothic"),
            QStringLiteral("VL PGothic"),        QStringLiteral("TakaoPGothic"),
            QStringLiteral("Noto Sans CJK JP"),  QStringLiteral("Noto Sans JP"),
            QStringLiteral("Source Han Sans JP")};
}

namespace {
QStringList monospacedJapaneseFamilies() {
    return {QStringLiteral("IPAGothic"), QStringLiteral("VL Gothic"), QStringLiteral("TakaoGothic"),
            QStringLiteral("Noto Sans Mono CJK JP")};
}
}  // namespace

void installFontSubstitutions() {
    const QStringList proportional = proportionalJapaneseFamilies();
    // The full-width names the forms use, and their ASCII spellings.
    for (const QString& name : {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"),
                                QStringLiteral("ＭＳ ＵＩ Ｇｏｔｈｉｃ"), QStringLiteral("MS UI Gothic")})
        QFont::insertSubstitutions(name, proportional);
    for (const QString& name : {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("MS Gothic")})
        QFont::insertSubstitutions(name, monospacedJapaneseFamilies());
}

}  // namespace skyroll::qt
