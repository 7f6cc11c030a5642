// Writes the program's icon, as the window draws it, to an icon file of the
// Windows build (PNG images of 16, 24, 32, 48 and 128 pixels) and, given a
// folder, to PNG files of those sizes:  write_program_icon OUT.ico [PNG_FOLDER]
#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QIcon>
#include <QImage>
#include <QtEndian>
#include <cstdio>
#include <vector>

#include "program_icon.h"

namespace {

constexpr int kSizes[] = {16, 24, 32, 48, 128};

void PutWord(QByteArray& out, quint16 value)
{
    const quint16 little = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&little), 2);
}

void PutDword(QByteArray& out, quint32 value)
{
    const quint32 little = qToLittleEndian(value);
    out.append(reinterpret_cast<const char*>(&little), 4);
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: write_program_icon OUT.ico [PNG_FOLDER]\n");
        return 2;
    }
    std::vector<QByteArray> images;
    for (int size : kSizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        const QImage image = ProgramIcon().pixmap(size, size).toImage();
        image.save(&buffer, "PNG");
        images.push_back(png);
        if (argc > 2) image.save(QStringLiteral("%1/quillard-%2.png").arg(argv[2]).arg(size));
    }
    QByteArray ico;
    PutWord(ico, 0);  // reserved
    PutWord(ico, 1);  // an icon
    PutWord(ico, static_cast<quint16>(images.size()));
    quint32 offset = 6 + 16 * static_cast<quint32>(images.size());
    for (std::size_t i = 0; i < images.size(); ++i) {
        const int size = kSizes[i];
        ico.append(static_cast<char>(size >= 256 ? 0 : size));  // width, 0 for 256
        ico.append(static_cast<char>(size >= 256 ? 0 : size));  // height
        ico.append('\0');                                       // no palette
        ico.append('\0');
        PutWord(ico, 1);   // planes
        PutWord(ico, 32);  // bits per pixel
        PutDword(ico, static_cast<quint32>(images[i].size()));
        PutDword(ico, offset);
        offset += static_cast<quint32>(images[i].size());
    }
    for (const QByteArray& image : images)
        ico.append(image);
    QFile file(QString::fromLocal8Bit(argv[1]));
    return file.open(QIODevice::WriteOnly) && file.write(ico) == ico.size() ? 0 : 1;
}
