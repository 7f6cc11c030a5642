// Writes the program's icon, as the window draws it, to an icon file of the
// Windows build (PNG images of 16, 24, 32, 48 and 256 pixels):
//   write_program_icon OUT.ico
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QtEndian>
#include <cstdio>
#include <vector>

#include "program_icon_drawing.h"

namespace {

constexpr int kSizes[] = {16, 24, 32, 48, 256};

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
    if (argc < 2) {
        std::fprintf(stderr, "usage: write_program_icon OUT.ico\n");
        return 2;
    }
    std::vector<QByteArray> images;
    for (int size : kSizes) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        DrawProgramIcon(size).save(&buffer, "PNG");
        images.push_back(png);
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
