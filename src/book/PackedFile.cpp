#include "book/PackedFile.h"

#include "base/BookError.h"

#include <QFile>
#include <QObject>
#include <QtEndian>
#include <zlib.h>

#include <limits>

namespace zarelo {

QByteArray UnpackFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw BookError(QObject::tr("不能读取文件 %1：%2").arg(path, file.errorString()));
    const QByteArray packed = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw BookError(QObject::tr("不能读取文件 %1：%2").arg(path, file.errorString()));
    return UnpackBytes(packed, path);
}

QByteArray UnpackBytes(QByteArrayView packed, const QString& name)
{
    if (packed.size() < 4)
        throw BookError(QObject::tr("文件 %1 已损坏：只有 %2 个字节，不足 4 字节的长度字段")
                            .arg(name)
                            .arg(packed.size()));
    const qint32 length = qFromLittleEndian<qint32>(packed.data());
    if (length < 0)
        throw BookError(QObject::tr("文件 %1 已损坏：长度字段为负数 (%2)").arg(name).arg(length));

    if (length == 0)
        return QByteArray();
    // Deflate yields at most 1032 bytes per input byte; a length word beyond
    // that cannot be met, and is refused before its buffer is allocated.
    constexpr qint64 kMaxInflateRatio = 1032;
    if (qint64(length) > (qint64(packed.size()) - 4) * kMaxInflateRatio + 64)
        throw BookError(QObject::tr("文件 %1 已损坏：应有 %2 字节内容，压缩数据只有 %3 字节")
                            .arg(name)
                            .arg(length)
                            .arg(packed.size() - 4));
    QByteArray content(length, Qt::Uninitialized);

    z_stream stream{};
    if (inflateInit(&stream) != Z_OK)
        throw BookError(QObject::tr("不能解压文件 %1：zlib 初始化失败").arg(name));

    const qsizetype inputSize = packed.size() - 4;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(packed.data() + 4));
    stream.next_out = reinterpret_cast<Bytef*>(content.data());
    qsizetype inputLeft = inputSize;
    qsizetype outputLeft = length;
    int status = Z_OK;
    // zlib counts in uInt; feed and drain in chunks so that any size fits.
    constexpr qsizetype chunk = std::numeric_limits<uInt>::max();
    while (outputLeft > 0) {
        if (stream.avail_in == 0 && inputLeft > 0) {
            stream.avail_in = static_cast<uInt>(std::min(inputLeft, chunk));
            inputLeft -= stream.avail_in;
        }
        stream.avail_out = static_cast<uInt>(std::min(outputLeft, chunk));
        const uInt before = stream.avail_out;
        status = inflate(&stream, Z_NO_FLUSH);
        outputLeft -= before - stream.avail_out;
        if (status == Z_STREAM_END || status == Z_NEED_DICT || status == Z_DATA_ERROR ||
            status == Z_MEM_ERROR)
            break;
        if (status == Z_BUF_ERROR && stream.avail_in == 0 && inputLeft == 0)
            break;
    }
    const char* zlibMessage = stream.msg;
    inflateEnd(&stream);

    if (outputLeft > 0) {
        if (status == Z_DATA_ERROR || status == Z_NEED_DICT || status == Z_MEM_ERROR)
            throw BookError(
                QObject::tr("文件 %1 已损坏：压缩数据无效 (%2)")
                    .arg(name, QString::fromLatin1(zlibMessage ? zlibMessage : "zlib")));
        throw BookError(QObject::tr("文件 %1 已损坏：应有 %2 字节内容，只解出 %3 字节")
                            .arg(name)
                            .arg(length)
                            .arg(length - outputLeft));
    }
    return content;
}

QByteArray PackBytes(QByteArrayView content, int level)
{
    uLongf bound = compressBound(static_cast<uLong>(content.size()));
    QByteArray packed(4 + static_cast<qsizetype>(bound), Qt::Uninitialized);
    qToLittleEndian<qint32>(static_cast<qint32>(content.size()), packed.data());
    const int status = compress2(reinterpret_cast<Bytef*>(packed.data() + 4), &bound,
                                 reinterpret_cast<const Bytef*>(content.data()),
                                 static_cast<uLong>(content.size()), level);
    if (status != Z_OK)
        throw BookError(QObject::tr("压缩失败 (zlib %1)").arg(status));
    packed.resize(4 + static_cast<qsizetype>(bound));
    return packed;
}

} // namespace zarelo
