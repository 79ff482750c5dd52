// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ui/renderer.h"

#include <memory>
#include <vector>

#include <QColor>
#include <QFont>
#include <QPaintDevice>
#include <QPainter>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QString>
#include <QStringList>

namespace kvrtest {

// One text a painter drew, in the device's pixels.
struct DrawnText {
    QString text;
    QPointF baseline; // the left end of its baseline
    QRectF rect;      // from the baseline's left end: advance width, ascent + descent high
    QFont font;
    QColor color; // the pen's colour
};

class RecordingEngine;

// A paint device that draws nothing and keeps every text drawn on it, with
// its place and font, so tests check a drawing's texts and layout without
// comparing pictures. Lines, shapes and pictures are ignored. Its resolution
// is an image's, so fonts measure as they do on RenderToImage's images.
class TextRecorder : public QPaintDevice {
public:
    explicit TextRecorder(QSize size);
    ~TextRecorder() override;
    TextRecorder(const TextRecorder&) = delete;
    TextRecorder& operator=(const TextRecorder&) = delete;

    QPaintEngine* paintEngine() const override;

    // Every text, in the order drawn.
    const std::vector<DrawnText>& Texts() const { return texts_; }
    QStringList Strings() const;
    // The first text that reads `text`, or null.
    const DrawnText* Find(const QString& text) const;

protected:
    int metric(PaintDeviceMetric metric) const override;

private:
    QSize size_;
    int dpiX_;
    int dpiY_;
    std::vector<DrawnText> texts_;
    std::unique_ptr<RecordingEngine> engine_;
};

// The texts a renderer draws on an area of `size`.
template <class Data>
std::vector<DrawnText> RecordTexts(kui::Renderer<Data> renderer, QSize size, const Data& data) {
    TextRecorder recorder(size);
    {
        QPainter painter(&recorder);
        renderer(painter, size, data);
    }
    return recorder.Texts();
}

} // namespace kvrtest
