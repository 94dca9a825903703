#include "ScannedPage.h"

#include "book/PageImage.h"
#include "bookmaker/BookWriter.h"

#include <QFile>
#include <QPainter>
#include <algorithm>

namespace zarelo::makertest {

QByteArray ScannedPage(const QImage& page, QTransform& turn)
{
    const QImage big =
        page.convertToFormat(QImage::Format_RGB32).scaledToWidth(1600, Qt::SmoothTransformation);
    QImage turned(big.size(), QImage::Format_RGB32);
    turned.fill(Qt::white);
    turn = QTransform();
    turn.translate(big.width() / 2.0, big.height() / 2.0);
    turn.rotate(1.0);
    turn.translate(-big.width() / 2.0, -big.height() / 2.0);
    {
        QPainter painter(&turned);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.setTransform(turn);
        painter.drawImage(0, 0, big);
    }
    // Blur: a 5-tap binomial kernel (1 4 6 4 1) across, then down.
    QImage blurred = turned;
    for (int pass = 0; pass < 2; ++pass) {
        const QImage from = blurred;
        for (int y = 0; y < from.height(); ++y) {
            auto* out = reinterpret_cast<QRgb*>(blurred.scanLine(y));
            for (int x = 0; x < from.width(); ++x) {
                int sum[3] = {0, 0, 0};
                static const int weights[5] = {1, 4, 6, 4, 1};
                for (int k = -2; k <= 2; ++k) {
                    const int sx = pass == 0 ? std::clamp(x + k, 0, from.width() - 1) : x;
                    const int sy = pass == 1 ? std::clamp(y + k, 0, from.height() - 1) : y;
                    const QRgb c = reinterpret_cast<const QRgb*>(from.constScanLine(sy))[sx];
                    sum[0] += weights[k + 2] * qRed(c);
                    sum[1] += weights[k + 2] * qGreen(c);
                    sum[2] += weights[k + 2] * qBlue(c);
                }
                out[x] = qRgb(sum[0] / 16, sum[1] / 16, sum[2] / 16);
            }
        }
    }
    return bookmaker::EncodeJpeg(blurred, 60);
}

QTransform ScanMadePage(const QString& pageFile, const QString& scan)
{
    const DecodedImage made = LoadPicFromZipFile(pageFile);
    const QImage image(reinterpret_cast<const uchar*>(made.Pixels.constData()), made.Width,
                       made.Height, made.Width * 4, QImage::Format_RGB32);
    QTransform turn;
    const QByteArray bytes = ScannedPage(image, turn);
    QFile file(scan);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(scan));
    return turn;
}

} // namespace zarelo::makertest
