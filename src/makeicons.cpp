// SPDX-License-Identifier: MIT
// makeicons OUTPUT_FOLDER: writes the program icon into a hicolor theme tree, one PNG a size.
#include "forms.h"

#include <QDir>
#include <QImage>

#include <cstdio>

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeicons OUTPUT_FOLDER\n");
        return 2;
    }
    const QImage icon = Forms::ProgramIconImage();
    for (const int size : { 16, 22, 24, 32, 48, 64, 128, 256 }) {
        const QString folder
            = QStringLiteral("%1/hicolor/%2x%2/apps").arg(QString::fromLocal8Bit(argv[1])).arg(size);
        if (!QDir().mkpath(folder))
            return 1;
        // Whole multiples keep the stripes crisp; other sizes are smoothed rather than made uneven.
        const bool whole = size % icon.width() == 0 || icon.width() % size == 0;
        const QImage scaled = icon.scaled(
            size, size, Qt::IgnoreAspectRatio, whole ? Qt::FastTransformation : Qt::SmoothTransformation);
        if (!scaled.save(folder + QStringLiteral("/zumeko.png")))
            return 1;
    }
    return 0;
}
