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

// The size of the file's picture: `scale` times the size drawn.
QSize Scaled(QSize size, qreal scale) {
    return QSize(qRound(size.width() * scale), qRound(size.height() * scale));
}

QString SavePng(const Picture& picture, QSize size, qreal scale, const QString& fileName) {
    QImageWriter writer(fileName, "png");
    if (!writer.write(PictureImage(picture, size, scale)))
        return writer.errorString();
    return {};
}

// The SVG and PDF writers report nothing when their file cannot be written:
// they write to a file opened here, which does.
QString SaveSvg(const Picture& picture, QSize size, qreal scale, QFile& file) {
    QSvgGenerator svg;
    svg.setOutputDevice(&file);
    svg.setSize(Scaled(size, scale));
    svg.setViewBox(QRect(QPoint(0, 0), Scaled(size, scale)));
    svg.setResolution(QImage(1, 1, QImage::Format_RGB32).logicalDpiX());
    QPainter painter;
    if (!painter.begin(&svg))
        return QStringLiteral("the picture could not be drawn");
    painter.scale(scale, scale);
    picture(painter, size);
    painter.end();
    return {};
}

QString SavePdf(const Picture& picture, QSize size, qreal scale, QFile& file) {
    // One page of exactly the picture's size, one pixel a point.
    QPdfWriter pdf(&file);
    pdf.setResolution(72);
    pdf.setPageLayout(QPageLayout(QPageSize(QSizeF(Scaled(size, scale)), QPageSize::Point),
                                  QPageLayout::Portrait, QMarginsF()));
    QPainter painter;
    if (!painter.begin(&pdf))
        return QStringLiteral("the picture could not be drawn");
    painter.scale(scale, scale);
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

QImage PictureImage(const Picture& picture, QSize size, qreal scale) {
    if (scale <= 0)
        scale = 1;
    QImage image(Scaled(size, scale), QImage::Format_RGB32);
    image.setDevicePixelRatio(scale);
    image.fill(Qt::white);
    QPainter painter(&image);
    picture(painter, size);
    return image;
}

QString SaveImage(const Picture& picture, QSize size, const QString& fileName, qreal scale) {
    if (size.width() <= 0 || size.height() <= 0)
        return QStringLiteral("the picture has no size");
    if (scale <= 0)
        scale = 1;
    const QString suffix = Suffix(fileName);
    if (suffix == QLatin1String("png"))
        return SavePng(picture, size, scale, fileName);
    if (suffix != QLatin1String("svg") && suffix != QLatin1String("pdf"))
        return QStringLiteral("the name must end in .png, .svg or .pdf");
    QFile file(fileName);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return file.errorString();
    QString error = suffix == QLatin1String("svg") ? SaveSvg(picture, size, scale, file)
                                                   : SavePdf(picture, size, scale, file);
    if (error.isEmpty() && (!file.flush() || file.error() != QFileDevice::NoError))
        error = file.errorString();
    file.close();
    if (!error.isEmpty())
        file.remove();
    return error;
}

} // namespace kui
