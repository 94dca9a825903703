#pragma once
// The program's settings key: named string values in one INI-style file, by
// default $XDG_CONFIG_HOME/ZareloEnglish/ZareloEnglish.ini, one "name=value"
// line each at the top level, in the order the values were created.
//
// Like a registry key it is opened (created when missing) for one use and
// closed again at once: the constructor reads the file, the destructor writes
// it back when something changed (atomically, so a crash never leaves half a
// file). Nothing keeps it open between uses.

#include <QString>
#include <functional>
#include <utility>
#include <vector>

namespace zarelo {

class SettingsKey {
public:
    explicit SettingsKey(const QString& filePath);
    ~SettingsKey();
    SettingsKey(const SettingsKey&) = delete;
    SettingsKey& operator=(const SettingsKey&) = delete;

    // $XDG_CONFIG_HOME (or ~/.config) + "/ZareloEnglish/ZareloEnglish.ini".
    static QString defaultPath();

    // False when the file could neither be read nor created; then nothing is
    // read or written through this key.
    bool isOpen() const { return open_; }

    bool valueExists(const QString& name) const;
    QString readString(const QString& name) const; // empty when missing
    // Creates the value when missing, overwrites it otherwise (readers use
    // this to write a default).
    void writeString(const QString& name, const QString& value);
    // The writers' rule: overwrite only a value that exists. Returns whether
    // it was written.
    bool overwriteExisting(const QString& name, const QString& value);
    // Readers' rule: the value, or `fallback` written as a new value when it
    // is missing.
    QString readOrCreate(const QString& name, const QString& fallback);

    // Writes pending changes now; false when the file could not be saved.
    bool flush();

    // Told the file's path and the system's reason whenever a key cannot be
    // created or saved, so that no setting is lost without a word. The
    // application sets one for its run and removes it at its end; without
    // one, failures are only returned.
    using WriteFailure = std::function<void(const QString& path, const QString& reason)>;
    static void SetWriteFailureHandler(WriteFailure handler);

private:
    void reportFailure(const QString& reason) const;

    QString path_;
    bool open_ = false;
    bool dirty_ = false;
    std::vector<std::pair<QString, QString>> values_; // in creation order
};

} // namespace zarelo
