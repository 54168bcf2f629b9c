// SPDX-License-Identifier: MIT
#include "filelookup.h"

#include <QDir>
#include <QString>
#include <QStringList>

namespace Forms {

QString Dir(const QString &pattern)
{
    const QStringList names = QDir::current().entryList(
        { pattern }, QDir::Files | QDir::Readable | QDir::NoDotAndDotDot | QDir::CaseSensitive, QDir::Name);
    return names.isEmpty() ? QString() : names.first();
}

} // namespace Forms
