#include "book/Gbk.h"

#include <QTextCodec>

namespace zarelo {

static QTextCodec& gbk()
{
    static QTextCodec* codec = QTextCodec::codecForName("GBK");
    Q_ASSERT(codec);
    return *codec;
}

QString fromGbk(QByteArrayView bytes)
{
    return gbk().toUnicode(bytes.data(), static_cast<int>(bytes.size()));
}

QByteArray toGbk(const QString& text)
{
    return gbk().fromUnicode(text);
}

qsizetype gbkLength(const QString& text)
{
    return toGbk(text).size();
}

} // namespace zarelo
