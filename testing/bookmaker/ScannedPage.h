#pragma once
// A made page as a scanner gives it back, for the import tests: scaled to
// 1600 px wide, turned by 1 degree about its centre, blurred, saved as JPEG
// at quality 60.

#include <QByteArray>
#include <QImage>
#include <QString>
#include <QTransform>

namespace zarelo::makertest {

// The JPEG bytes of the scan of `page`. `turn` is set to the map from points
// of the page scaled to 1600 px wide to points of the scan.
QByteArray ScannedPage(const QImage& page, QTransform& turn);

// Writes the scan of the made page file `pageFile` (a packed JPEG) to `scan`
// and returns the map from points of the page at 1600 px wide to the scan's.
// Throws BookError when the page cannot be read; aborts when the scan cannot
// be written.
QTransform ScanMadePage(const QString& pageFile, const QString& scan);

} // namespace zarelo::makertest
