#pragma once
// A program folder with a book library, a private temporary folder and a
// settings file, all inside temporary folders removed at the end of a test.

#include "base/uPublicVarDefine.h"
#include "book/BookContent.h"
#include "book/PackedFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace zarelo::booktest {

struct TestLibrary {
    QTemporaryDir root;
    QTemporaryDir temp;
    ProgramPaths paths;

    TestLibrary()
    {
        paths.ProgramFolder = root.path() + QStringLiteral("/program");
        paths.TempFolder = temp.path();
        paths.SettingsPath = root.path() + QStringLiteral("/config/ZareloEnglish.ini");
        QDir().mkpath(paths.ProgramFolder);
    }

    QString folderOf(const QString& publisher, const QString& book) const
    {
        return paths.ProgramFolder + u'/' + publisher + u'/' + book;
    }

    static void writeFile(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }

    // A book folder with the packed tables (location: header line + entries).
    QString addBook(const QString& publisher, const QString& book, const QByteArray& location,
                    const QByteArray& lessons, const QString& locationName = "location.dat",
                    const QString& lessonName = "LessonIndex.dat")
    {
        const QString folder = folderOf(publisher, book);
        QDir().mkpath(folder);
        writeFile(folder + u'/' + locationName, PackBytes(location));
        if (!lessonName.isEmpty())
            writeFile(folder + u'/' + lessonName, PackBytes(lessons));
        return folder;
    }

    void open(OpenBook& book, const QString& publisher, const QString& name) const
    {
        book.CurrentPublisher = publisher;
        book.CurrentBook = name;
    }
};

// Lines of a small well-formed book: `entries` entries on pages 1.., two
// lessons per unit.
inline QByteArray locationText(int entries, const QByteArray& voice = "voice1")
{
    QByteArray text = "header;image;\r\n";
    for (int i = 0; i < entries; ++i) {
        const QByteArray n = QByteArray::number(i);
        text += "Page" + QByteArray::number(i / 4 + 1) + ";" + (i % 2 ? "word" : "sent") + ";" + n +
                ",10;" + n + "0,20;" + voice + ";0:0" + QByteArray::number(i % 10) +
                ":5,0:10:25;zh" + n + ":English " + n + "\r\n";
    }
    return text;
}

inline QByteArray lessonText(int lessons)
{
    QByteArray text;
    for (int i = 0; i < lessons; ++i) {
        const QByteArray n = QByteArray::number(i + 1);
        text += (i % 3 == 0 ? "Unit " : "Lesson ") + n + ";Title " + n + ";c2;0:00:0;c4;0:10:0;" +
                n + ";" + n + "\n";
    }
    return text;
}

} // namespace zarelo::booktest
