#include "output/PngWriter.h"

#include <QImageWriter>

PngWriter::PngWriter() = default;
PngWriter::~PngWriter() = default;

bool PngWriter::write(const QImage &image, QIODevice &device)
{
    if (image.isNull())
        return false;
    QImageWriter writer(&device, "png");
    return writer.write(image);
}
