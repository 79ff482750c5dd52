// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/image_export.h"

#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSvgGenerator>

namespace kui {
namespace {

QString Suffix(const QString& fileName) {
    return QFileInfo(fileName).suffix().toLower();
}

QString SavePng(const Picture& picture, QSize size, const QString& fileName) {
    QImageWriter writer(fileName, "png");
    if (!writer.write(PictureImage(picture, size)))
        return writer.errorString();
    return {};
}

// The SVG and PDF writers report nothing when their file cannot be written:
// they write to a file opened here, which does.
QString SaveSvg(const Picture& picture, QSize size, QFile& file) {
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(size);
    svg.setViewBox(QRect(QPoint(0, 0), size));
    svg.setResolution(QImage(1, 1, QImage::Format_RGB32).logicalDpiX());
    QPainter painter;
    if (!painter.begin(&svg))
        return QStringLiteral("the picture could not be drawn");
    picture(painter, size);
    painter.end();
    return {};
}

QString SavePdf(const Picture& picture, QSize size, QFile& file) {
    // One page of exactly the picture's size, one pixel a point.
    QPdfWriter pdf(&file);
    pdf.setResolution(72);
    pdf.setPageLayout(
        QPageLayout(QPageSize(QSizeF(size), QPageSize::Point), QPageLayout::Portrait, QMarginsF()));
    QPainter painter;
    if (!painter.begin(&pdf))
        return QStringLiteral("the picture could not be drawn");
    picture(painter, size);
    painter.end();
    return {};
}

} // namespace

bool IsImageFileName(const QString& fileName) {
    const QString suffix = Suffix(fileName);
    return suffix == QLatin1String("png") || suffix == QLatin1String("svg") ||
           suffix == QLatin1String("pdf");
}

QImage PictureImage(const Picture& picture, QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    picture(painter, size);
    return image;
}

QString SaveImage(const Picture& picture, QSize size, const QString& fileName) {
    if (size.width() <= 0 || size.height() <= 0)
        return QStringLiteral("the picture has no size");
    const QString suffix = Suffix(fileName);
    if (suffix == QLatin1String("png"))
        return SavePng(picture, size, fileName);
    if (suffix != QLatin1String("svg") && suffix != QLatin1String("pdf"))
        return QStringLiteral("the name must end in .png, .svg or .pdf");
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return file.errorString();
    QString error = suffix == QLatin1String("svg") ? SaveSvg(picture, size, file)
                                                   : SavePdf(picture, size, file);
    if (error.isEmpty() && (!file.flush() || file.error() != QFileDevice::NoError))
        error = file.errorString();
    file.close();
    if (!error.isEmpty())
        file.remove();
    return error;
}

} // namespace kui
