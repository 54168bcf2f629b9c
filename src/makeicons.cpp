// SPDX-License-Identifier: MIT
// makeicons OUTPUT_FOLDER: draws the program icon at every size a desktop asks for: a hicolor theme tree,
// one PNG a size, and zumeko.ico for the Windows program's resource, its sizes stored as PNG.
#include "programicon.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QtEndian>

#include <cstdio>
#include <vector>

namespace {

QByteArray png(const QImage &icon, int size)
{
    // Whole multiples keep the stripes crisp; other sizes are smoothed rather than made uneven.
    const bool whole = size % icon.width() == 0 || icon.width() % size == 0;
    const QImage scaled = icon.scaled(
        size, size, Qt::IgnoreAspectRatio, whole ? Qt::FastTransformation : Qt::SmoothTransformation);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    scaled.save(&buffer, "PNG");
    return bytes;
}

template <typename T> void put(QByteArray &out, T value)
{
    const T little = qToLittleEndian(value);
    out.append(reinterpret_cast<const char *>(&little), sizeof little);
}

// An icon directory: a header, one 16-byte entry a size, then the images; 256 is written as 0.
QByteArray ico(const QImage &icon, const std::vector<int> &sizes)
{
    QByteArray header, images;
    put<quint16>(header, 0);
    put<quint16>(header, 1);
    put<quint16>(header, quint16(sizes.size()));
    for (const int size : sizes) {
        const QByteArray image = png(icon, size);
        header.append(char(size & 0xFF)).append(char(size & 0xFF)).append(2, '\0');
        put<quint16>(header, 1); // colour planes
        put<quint16>(header, 32); // bits per pixel
        put<quint32>(header, quint32(image.size()));
        put<quint32>(header, quint32(6 + 16 * qsizetype(sizes.size()) + images.size()));
        images += image;
    }
    return header + images;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: makeicons OUTPUT_FOLDER\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QImage icon = Forms::ProgramIconImage();
    for (const int size : { 16, 22, 24, 32, 48, 64, 128, 256 }) {
        const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(out).arg(size);
        QFile file(folder + QStringLiteral("/zumeko.png"));
        const QByteArray image = png(icon, size);
        if (!QDir().mkpath(folder) || !file.open(QIODevice::WriteOnly) || file.write(image) != image.size())
            return 1;
    }
    QFile file(out + QStringLiteral("/zumeko.ico"));
    const QByteArray icons = ico(icon, { 16, 24, 32, 48, 64, 256 });
    return file.open(QIODevice::WriteOnly) && file.write(icons) == icons.size() ? 0 : 1;
}
