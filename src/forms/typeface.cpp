// SPDX-License-Identifier: MIT
#include "typeface.h"

#include <QFont>
#include <QFontDatabase>
#include <QString>

using namespace Qt::Literals::StringLiterals;

namespace Forms {

QFont Typeface(qreal pointSize)
{
    // Chosen once, by name: every font asked for a missing family would walk the substitutes again, and
    // that walk was most of what starting took.
    static const QString family = [] {
        for (const QString &name : { u"ＭＳ Ｐゴシック"_s, u"MS PGothic"_s, u"Yu Gothic UI"_s, u"Meiryo UI"_s,
                 u"Meiryo"_s, u"MS UI Gothic"_s, u"IPAPGothic"_s, u"IPAexGothic"_s, u"Noto Sans CJK JP"_s,
                 u"Source Han Sans JP"_s, u"VL PGothic"_s, u"TakaoPGothic"_s }) {
            if (QFontDatabase::hasFamily(name))
                return name;
        }
        return QString(); // the system's own font, which has Japanese where it is used
    }();
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setWeight(QFont::Bold);
    return font;
}

} // namespace Forms
