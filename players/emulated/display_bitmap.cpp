// SPDX-License-Identifier: GPL-3.0-or-later
#include "display_bitmap.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <array>
#include <utility>

namespace tunedeck {
namespace {

// Bounds keep a stray size or an endless title from asking for a huge image.
constexpr qint32 kMinPointSize = 1;
constexpr qint32 kMaxPointSize = 96;
constexpr int kMaxWidth = 4096;

// Windows' Japanese faces (by their English and their Japanese names) are not installed here; without a
// match the font matcher falls back to a Latin face. Draw each in the IPA face of the same kind: gothic or
// mincho, fixed or proportional. The name the user chose is kept as it is; only the drawing uses the match.
// An empty name would fall back the same way; it draws in the default face.
QString installedFace(const QString& faceName) {
    static const std::array<std::pair<QString, QString>, 10> matches{{
        {QString(), QStringLiteral("IPAPGothic")},
        {QStringLiteral("MS UI Gothic"), QStringLiteral("IPAPGothic")},
        {QStringLiteral("MS Gothic"), QStringLiteral("IPAGothic")},
        {QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic")},
        {QStringLiteral("MS Mincho"), QStringLiteral("IPAMincho")},
        {QStringLiteral("MS PMincho"), QStringLiteral("IPAPMincho")},
        {QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic")},
        {QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("IPAPGothic")},
        {QStringLiteral("ＭＳ 明朝"), QStringLiteral("IPAMincho")},
        {QStringLiteral("ＭＳ Ｐ明朝"), QStringLiteral("IPAPMincho")},
    }};
    for (const auto& [windows, installed] : matches)
        if (faceName.compare(windows, Qt::CaseInsensitive) == 0)
            return installed;
    return faceName;
}

QFont displayFont(const DisplayFont& font) {
    QFont result(installedFace(font.faceName));
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
