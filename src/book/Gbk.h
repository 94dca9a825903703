#pragma once
// Book text is GBK bytes from the files until it is shown; these are the only
// two places where it crosses into or out of Unicode.

#include <QByteArrayView>
#include <QString>

namespace zarelo {

QString fromGbk(QByteArrayView bytes);
QByteArray toGbk(const QString& text);

// Length of a text in GBK bytes (a Chinese character counts 2).
qsizetype gbkLength(const QString& text);

} // namespace zarelo
