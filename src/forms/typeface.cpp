// SPDX-License-Identifier: MIT
#include "typeface.h"

#include <QFont>
#include <QFontDatabase>
#include <QString>
#include <QStringList>

using namespace Qt::Literals::StringLiterals;

namespace Forms {

QFont Typeface(qreal pointSize)
{
    // Chosen once, by name: every font asked for a missing family would walk the substitutes again, and
    // that walk was most of what starting took.
    static const QString family = [] {
        const QStringList faces = { u"ＭＳ Ｐゴシック"_s, u"MS PGothic"_s, u"Yu Gothic UI"_s, u"Meiryo UI"_s,
            u"Meiryo"_s, u"MS UI Gothic"_s, u"IPAPGothic"_s, u"IPAexGothic"_s, u"Noto Sans CJK JP"_s,
            u"Source Han Sans JP"_s, u"VL PGothic"_s, u"TakaoPGothic"_s };
        // A face installed under its own name is found in the list of families at once. hasFamily() first
        // runs each name through all of fontconfig's substitution rules, milliseconds for the names of
        // faces that are not there; it is left for a system that has none of them under its own name.
        const QStringList installed = QFontDatabase::families();
        for (const QString &name : faces) {
            if (installed.contains(name, Qt::CaseInsensitive))
                return name;
        }
        for (const QString &name : faces) {
            if (QFontDatabase::hasFamily(name)) // an alias of the system's for one of them
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
