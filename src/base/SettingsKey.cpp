#include "base/SettingsKey.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

namespace zarelo {

namespace {

QString escaped(const QString& value)
{
    QString out;
    out.reserve(value.size());
    for (QChar c : value) {
        if (c == u'\\')
            out += u"\\\\";
        else if (c == u'\n')
            out += u"\\n";
        else if (c == u'\r')
            out += u"\\r";
        else
            out += c;
    }
    return out;
}

QString unescaped(QStringView value)
{
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            const QChar next = value[++i];
            out += next == u'n' ? QChar(u'\n') : next == u'r' ? QChar(u'\r') : next;
        } else {
            out += value[i];
        }
    }
    return out;
}

SettingsKey::WriteFailure& writeFailureHandler()
{
    static SettingsKey::WriteFailure handler;
    return handler;
}

} // namespace

void SettingsKey::SetWriteFailureHandler(WriteFailure handler)
{
    writeFailureHandler() = std::move(handler);
}

void SettingsKey::reportFailure(const QString& reason) const
{
    if (const WriteFailure& report = writeFailureHandler())
        report(path_, reason);
}

SettingsKey::SettingsKey(const QString& filePath) : path_(filePath)
{
    QFile file(path_);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly))
            return;
        const QString text = QString::fromUtf8(file.readAll());
        for (QStringView line : QStringView(text).split(u'\n')) {
            if (line.endsWith(u'\r'))
                line.chop(1);
            const qsizetype eq = line.indexOf(u'=');
            if (eq <= 0 || line.startsWith(u'[') || line.startsWith(u';'))
                continue;
            const QString name = line.left(eq).toString();
            if (!valueExists(name))
                values_.emplace_back(name, unescaped(line.mid(eq + 1)));
        }
        open_ = true;
        return;
    }
    // Create the key: the folder and an empty file, as a registry key is
    // created when it is opened.
    const QString folder = QFileInfo(path_).absolutePath();
    if (!QDir().mkpath(folder)) {
        reportFailure(
            QStringLiteral("cannot make the folder %1").arg(QDir::toNativeSeparators(folder)));
        return;
    }
    QSaveFile created(path_);
    open_ = created.open(QIODevice::WriteOnly) && created.commit();
    if (!open_)
        reportFailure(created.errorString());
}

SettingsKey::~SettingsKey()
{
    flush();
}

QString SettingsKey::defaultPath()
{
    QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/ZareloEnglish/ZareloEnglish.ini");
}

bool SettingsKey::valueExists(const QString& name) const
{
    for (const auto& [key, value] : values_)
        if (key == name)
            return true;
    return false;
}

QString SettingsKey::readString(const QString& name) const
{
    for (const auto& [key, value] : values_)
        if (key == name)
            return value;
    return {};
}

void SettingsKey::writeString(const QString& name, const QString& value)
{
    if (!open_)
        return;
    for (auto& [key, stored] : values_) {
        if (key == name) {
            if (stored != value) {
                stored = value;
                dirty_ = true;
            }
            return;
        }
    }
    values_.emplace_back(name, value);
    dirty_ = true;
}

bool SettingsKey::overwriteExisting(const QString& name, const QString& value)
{
    if (!open_ || !valueExists(name))
        return false;
    writeString(name, value);
    return true;
}

QString SettingsKey::readOrCreate(const QString& name, const QString& fallback)
{
    if (valueExists(name))
        return readString(name);
    writeString(name, fallback);
    return fallback;
}

bool SettingsKey::flush()
{
    if (!open_ || !dirty_)
        return true;
    QString text;
    for (const auto& [key, value] : values_)
        text += key + u'=' + escaped(value) + u'\n';
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly) || file.write(text.toUtf8()) < 0 || !file.commit()) {
        reportFailure(file.errorString());
        return false;
    }
    dirty_ = false;
    return true;
}

} // namespace zarelo
