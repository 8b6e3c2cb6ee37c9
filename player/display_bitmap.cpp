#include "display_bitmap.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>

namespace tunedeck {
namespace {

// Bounds keep a stray size or an endless title from asking for a huge image.
constexpr qint32 kMinPointSize = 1;
constexpr qint32 kMaxPointSize = 96;
constexpr int kMaxWidth = 4096;

QFont displayFont(const DisplayFont& font) {
    QFont result(font.faceName);
    result.setPointSize(std::clamp(font.pointSize, kMinPointSize, kMaxPointSize));
    // A 1-bit display has no grey: render without smoothing so the threshold keeps whole strokes.
    result.setStyleStrategy(QFont::NoAntialias);
    return result;
}

}  // namespace

QByteArray renderDisplay(const QString& text, const DisplayFont& font) {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return {};
    const QFont qfont = displayFont(font);
    const QFontMetrics metrics(qfont);
    const int width = std::clamp(metrics.horizontalAdvance(text), 1, kMaxWidth);
    QImage canvas(width, metrics.height(), QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        painter.setFont(qfont);
        painter.setPen(Qt::black);
        painter.drawText(0, metrics.ascent(), text);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    canvas.convertToFormat(QImage::Format_Mono, Qt::MonoOnly | Qt::ThresholdDither).save(&buffer, "PNG");
    return png;
}

}  // namespace tunedeck
