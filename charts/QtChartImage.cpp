// The Qt backend of the chart.
#include "QtChartImage.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QLineF>
#include <QPainter>
#include <QPen>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

#include "ChartExport.h"
#include "SystemErrorText.h"
#include "WholeFile.h"

namespace vel {

namespace {

QColor QtColour(ChartColour c) {
    const Rgb rgb = PaletteRgb(c);
    return QColor(rgb.r, rgb.g, rgb.b);
}

// The font of the chart's pictures: small, aliased, fully hinted, the same on every machine
// that has the DejaVu fonts. The painter leaves about 105 twips (7 pixels) between the top of a
// date's last character and the top of the status line, and half a plot area's height between
// the value labels of a pane: at 7 pixels the digits are 5 pixels high and the tallest letters
// 6, so these texts keep apart where a larger size runs them into each other.
QFont ChartFont() {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(7);
    font.setStyleStrategy(QFont::NoAntialias);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

}  // namespace

void DrawDisplayList(const DisplayList& list, double scaleWidth, double scaleHeight,
                     QImage& image) {
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    painter.setFont(ChartFont());
    const double sx = scaleWidth > 0 ? image.width() / scaleWidth : 0.0;
    const double sy = scaleHeight > 0 ? image.height() / scaleHeight : 0.0;
    const double ascent = QFontMetricsF(painter.font()).ascent();

    std::vector<QLineF> batch;
    QPen pen;
    auto flush = [&] {
        if (batch.empty()) return;
        painter.setPen(pen);
        painter.drawLines(batch.data(), static_cast<int>(batch.size()));
        batch.clear();
    };
    auto use = [&](ChartColour colour, int width) {
        const QColor c = QtColour(colour);
        if (pen.color() == c && pen.widthF() == width) return;
        flush();
        pen = QPen(c);
        pen.setWidth(width);
        pen.setCosmetic(true);
    };
    pen.setColor(QColor(1, 2, 3));  // differs from every palette entry: the first use sets it

    for (const ChartPrimitive& p : list.Items()) {
        switch (p.kind) {
            case PrimitiveKind::Line:
                use(p.colour, p.width);
                batch.emplace_back(p.x1 * sx, p.y1 * sy, p.x2 * sx, p.y2 * sy);
                break;
            case PrimitiveKind::Circle:
                use(p.colour, p.width);
                flush();
                painter.setPen(pen);
                painter.setBrush(Qt::NoBrush);
                painter.drawEllipse(QPointF(p.x1 * sx, p.y1 * sy), p.x2 * sx, p.x2 * sy);
                break;
            case PrimitiveKind::Text:
                use(p.colour, 1);
                flush();
                painter.setPen(pen);
                painter.drawText(QPointF(p.x1 * sx, p.y1 * sy + ascent),
                                 QString::fromStdString(p.text));
                break;
        }
    }
    flush();
}

QImage RenderChartTarget(const ChartTarget& target) {
    const int w = std::max(1, static_cast<int>(std::lround(target.ScaleWidth() / kTwipsPerPixel)));
    const int h = std::max(1, static_cast<int>(std::lround(target.ScaleHeight() / kTwipsPerPixel)));
    QImage image(w, h, QImage::Format_RGB32);
    DrawDisplayList(target.List(), target.ScaleWidth(), target.ScaleHeight(), image);
    return image;
}

std::string WriteChartBitmap(const ChartTarget& target, const std::string& path) {
    const QImage image = RenderChartTarget(target).convertToFormat(QImage::Format_RGB888);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "BMP")) return "the picture could not be encoded";
    // Through the road of every whole file: a failed write keeps the picture that was there.
    WholeFile file(path);
    errno = 0;
    if (file.Open() && file.Write(bytes.constData(), static_cast<size_t>(bytes.size())) &&
        file.Commit())
        return "";
    return errno != 0 ? SystemErrorText(errno) : "the file could not be written";
}

void InstallQtChartBitmapWriter() {
    InstallChartBitmapWriter(WriteChartBitmap);
}

}  // namespace vel
