// SPDX-License-Identifier: GPL-3.0-or-later
#include "support/text_recorder.h"

#include <QImage>
#include <QPaintEngine>
#include <QPainter>
#include <QPen>
#include <QTransform>

namespace kvrtest {

// Keeps the texts; everything else it is asked to draw is dropped. It
// claims every feature so that the painter hands it texts and untransformed
// coordinates with the transform, instead of turning texts into paths.
class RecordingEngine : public QPaintEngine {
public:
    explicit RecordingEngine(std::vector<DrawnText>* texts)
        : QPaintEngine(QPaintEngine::AllFeatures), texts_(texts) {}

    bool begin(QPaintDevice*) override { return true; }
    bool end() override { return true; }
    Type type() const override { return QPaintEngine::User; }

    void updateState(const QPaintEngineState& changed) override {
        if (changed.state() & QPaintEngine::DirtyTransform)
            transform_ = changed.transform();
        if (changed.state() & QPaintEngine::DirtyPen)
            color_ = changed.pen().color();
    }

    void drawTextItem(const QPointF& p, const QTextItem& item) override {
        DrawnText drawn;
        drawn.text = item.text();
        drawn.baseline = transform_.map(p);
        drawn.rect = transform_.mapRect(
            QRectF(p.x(), p.y() - item.ascent(), item.width(), item.ascent() + item.descent()));
        drawn.font = item.font();
        drawn.color = color_;
        texts_->push_back(drawn);
    }

    using QPaintEngine::drawEllipse;
    using QPaintEngine::drawLines;
    using QPaintEngine::drawPoints;
    using QPaintEngine::drawPolygon;
    using QPaintEngine::drawRects;
    void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
    void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {
    }
    void drawTiledPixmap(const QRectF&, const QPixmap&, const QPointF&) override {}
    void drawPath(const QPainterPath&) override {}
    void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
    void drawRects(const QRectF*, int) override {}
    void drawLines(const QLineF*, int) override {}
    void drawEllipse(const QRectF&) override {}
    void drawPoints(const QPointF*, int) override {}

private:
    std::vector<DrawnText>* texts_;
    QTransform transform_;
    QColor color_;
};

TextRecorder::TextRecorder(QSize size)
    : size_(size), engine_(std::make_unique<RecordingEngine>(&texts_)) {
    const QImage image(1, 1, QImage::Format_RGB32);
    dpiX_ = image.logicalDpiX();
    dpiY_ = image.logicalDpiY();
}

TextRecorder::~TextRecorder() = default;

QPaintEngine* TextRecorder::paintEngine() const {
    return engine_.get();
}

QStringList TextRecorder::Strings() const {
    QStringList strings;
    for (const DrawnText& drawn : texts_)
        strings << drawn.text;
    return strings;
}

const DrawnText* TextRecorder::Find(const QString& text) const {
    for (const DrawnText& drawn : texts_)
        if (drawn.text == text)
            return &drawn;
    return nullptr;
}

int TextRecorder::metric(PaintDeviceMetric metric) const {
    switch (metric) {
    case PdmWidth:
        return size_.width();
    case PdmHeight:
        return size_.height();
    case PdmWidthMM:
        return qRound(size_.width() * 25.4 / dpiX_);
    case PdmHeightMM:
        return qRound(size_.height() * 25.4 / dpiY_);
    case PdmDpiX:
    case PdmPhysicalDpiX:
        return dpiX_;
    case PdmDpiY:
    case PdmPhysicalDpiY:
        return dpiY_;
    case PdmDepth:
        return 32;
    case PdmNumColors:
        return 0x7fffffff;
    case PdmDevicePixelRatio:
        return 1;
    case PdmDevicePixelRatioScaled:
        return static_cast<int>(devicePixelRatioFScale());
    default:
        return QPaintDevice::metric(metric);
    }
}

} // namespace kvrtest
