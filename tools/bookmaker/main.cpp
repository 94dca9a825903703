// bookmaker: builds book folders of the program's library from book sources.
// Usage: bookmaker [options] [<library folder>] <source>...   (see README.md)
//        bookmaker check <book folder or publisher/book>...

#include "base/BookError.h"
#include "base/ProgramLocations.h"
#include "book/BookFiles.h"
#include "bookmaker/BookCheck.h"
#include "bookmaker/BookSource.h"
#include "bookmaker/BookWriter.h"
#include "bookmaker/Flame.h"
#include "bookmaker/Icon.h"
#include "bookmaker/Wav.h"
#include "speech/SphinxAligner.h"

#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <cstdio>
#include <map>
#include <memory>

using namespace zarelo;
using namespace zarelo::bookmaker;

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        throw BookError(QStringLiteral("%1: cannot write the file").arg(path));
}

// The libraries the installed program reads: the user's own, then the
// installed one beside this tool's bin/ when there is one.
QStringList installedLibraries(const ProgramEnvironment& environment)
{
    QStringList libraries{UserDataFolder(environment) + QStringLiteral("/books")};
    const ProgramPaths own = LocateProgram(environment);
    if (IsInstalled(own))
        libraries += own.Libraries();
    libraries.removeDuplicates();
    return libraries;
}

// A book folder, or "publisher/book" of the program's libraries.
QString bookFolderOf(const QString& name, const QStringList& libraries)
{
    if (QFileInfo(name).isDir())
        return name;
    const qsizetype slash = name.indexOf(u'/');
    if (slash <= 0 || name.indexOf(u'/', slash + 1) >= 0)
        return name;
    return FindBookFolder(libraries, name.left(slash), name.mid(slash + 1));
}

// The hand dictionary of names the program uses for books of `library`: the
// one of that program folder, or else of the installed program; empty when
// there is none.
QString handDictionaryFor(const QString& library, const ProgramEnvironment& environment)
{
    ProgramPaths beside;
    beside.ProgramFolder = library;
    for (const QString& dictionary :
         {beside.HandDictionary(), LocateProgram(environment).HandDictionary()})
        if (QFileInfo(dictionary).isFile())
            return dictionary;
    return {};
}

// The dictionaries the program's word aligner would use for the book in
// `folder`: the speech model's and the program's hand dictionary. Null, with
// a note printed, when the model's dictionary cannot be read.
std::shared_ptr<const speech::Lexicon> lexiconFor(const QString& folder,
                                                  const ProgramEnvironment& environment)
{
    static std::map<QString, std::shared_ptr<const speech::Lexicon>> loaded;
    const speech::SpeechModel model = speech::SpeechModel::Installed(handDictionaryFor(
        QFileInfo(folder + QStringLiteral("/../..")).canonicalFilePath(), environment));
    auto& lexicon = loaded[model.HandDictionary];
    if (!lexicon) {
        try {
            lexicon = speech::LoadLexicon(model);
        } catch (const BookError& e) {
            std::printf("note: the words' pronunciations were not checked: %s\n",
                        qPrintable(e.message()));
            return nullptr;
        }
    }
    return lexicon;
}

// Prints every finding of each book; 0 when none is a problem.
int check(const QStringList& books, const QStringList& libraries,
          const ProgramEnvironment& environment)
{
    int problems = 0;
    for (const QString& book : books) {
        const QString folder = bookFolderOf(book, libraries);
        if (!QFileInfo(folder).isDir()) {
            std::fprintf(stderr, "bookmaker: %s is neither a book folder nor a book of %s\n",
                         qPrintable(book), qPrintable(libraries.join(QStringLiteral(", "))));
            ++problems;
            continue;
        }
        const std::vector<Finding> findings =
            CheckBookFolder(folder, lexiconFor(folder, environment).get());
        if (books.size() > 1)
            std::printf("%s:\n", qPrintable(folder));
        for (const Finding& f : findings)
            std::printf("%s%s\n", f.Note ? "note: " : "", qPrintable(f.Text));
        const int count = ProblemCount(findings);
        if (count == 0)
            std::printf("no problems\n");
        else
            std::printf("%d problem%s\n", count, count == 1 ? "" : "s");
        problems += count;
    }
    return problems == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char** argv)
{
    // Pages are drawn off screen; the tool never opens a window.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Builds book folders (tables, pages, voices) from plain-text book sources,\n"
                       "into the given library folder or, without one, the user's own library.\n"
                       "bookmaker check <book folder or publisher/book>... lists every problem of "
                       "made books."));
    parser.addHelpOption();
    const QCommandLineOption espeak(QStringLiteral("espeak"), QStringLiteral("Speech program."),
                                    QStringLiteral("program"), QStringLiteral("espeak-ng"));
    const QCommandLineOption voice(QStringLiteral("voice"), QStringLiteral("espeak-ng voice."),
                                   QStringLiteral("name"), QStringLiteral("en-us"));
    const QCommandLineOption speed(QStringLiteral("speed"), QStringLiteral("Words per minute."),
                                   QStringLiteral("wpm"), QStringLiteral("135"));
    const QCommandLineOption cues(QStringLiteral("cues"),
                                  QStringLiteral("Also write Start.wav and Succ.wav."));
    const QCommandLineOption flame(QStringLiteral("flame"),
                                   QStringLiteral("Also write the flame picture fire2.tga."));
    const QCommandLineOption icons(
        QStringLiteral("icons"),
        QStringLiteral("Also write the program's icon as <size>x<size>/apps/zarelo.png (48, 128 "
                       "and 256 pixels)."));
    parser.addOptions({espeak, voice, speed, cues, flame, icons});
    parser.addPositionalArgument(
        QStringLiteral("folder"),
        QStringLiteral("The library folder (a portable program's own folder); default: the "
                       "user's library of the installed program."),
        QStringLiteral("[<folder>]"));
    parser.addPositionalArgument(QStringLiteral("sources"), QStringLiteral("Book source files."),
                                 QStringLiteral("<source>..."));
    parser.process(app);
    QStringList args = parser.positionalArguments();
    const ProgramEnvironment environment =
        ProgramEnvironment::Of(QCoreApplication::applicationFilePath());
    if (!args.isEmpty() && args.front() == u"check") {
        if (args.size() < 2)
            parser.showHelp(2);
        return check(args.mid(1), installedLibraries(environment), environment);
    }
    // Without a folder first, every argument is a source and the books go
    // into the user's own library, made when missing.
    if (!args.isEmpty() && !QFileInfo(args.front()).isDir() && QFileInfo(args.front()).isFile()) {
        const QString library = UserDataFolder(environment) + QStringLiteral("/books");
        QString reason;
        if (!MakeFolder(library, &reason)) {
            std::fprintf(stderr, "bookmaker: cannot make the library %s: %s\n", qPrintable(library),
                         qPrintable(reason));
            return 1;
        }
        args.prepend(library);
    }
    if (args.isEmpty() ||
        (args.size() < 2 && !parser.isSet(cues) && !parser.isSet(flame) && !parser.isSet(icons)))
        parser.showHelp(2);

    SpeechOptions speech;
    speech.Program = parser.value(espeak);
    speech.Voice = parser.value(voice);
    bool ok = false;
    speech.WordsPerMinute = parser.value(speed).toInt(&ok);
    if (!ok || speech.WordsPerMinute < 80 || speech.WordsPerMinute > 450) {
        std::fprintf(stderr, "bookmaker: --speed takes 80 to 450 words per minute\n");
        return 2;
    }
    const QString folder = args.front();
    speech.HandDictionary = handDictionaryFor(folder, environment);
    try {
        if (parser.isSet(cues)) {
            writeFile(folder + QStringLiteral("/Start.wav"), WriteWav(StartCue()));
            writeFile(folder + QStringLiteral("/Succ.wav"), WriteWav(SuccessCue()));
        }
        if (parser.isSet(flame))
            writeFile(folder + QStringLiteral("/fire2.tga"), FlameTga());
        if (parser.isSet(icons)) {
            for (int size : {48, 128, 256}) {
                const QString file =
                    QStringLiteral("%1/%2x%2/apps/zarelo.png").arg(folder).arg(size);
                QString reason;
                if (!MakeFolder(QFileInfo(file).path(), &reason) ||
                    !ProgramIcon(size).save(file, "PNG"))
                    throw BookError(
                        QStringLiteral("%1: cannot write the icon %2").arg(file, reason));
            }
        }
        for (qsizetype i = 1; i < args.size(); ++i) {
            const BookSource book = LoadBookSource(args[i]);
            const WrittenBook written = WriteBook(book, folder, speech);
            std::printf("%s: %d pages, %d voices, %d entries\n", qPrintable(written.Folder),
                        written.Pages, written.Voices, static_cast<int>(book.Entries.size()));
            for (const QString& unsure : written.Unsure)
                std::printf("unsure: %s\n", qPrintable(unsure));
            if (!written.Unsure.isEmpty())
                std::printf("listen to the unsure ranges; give a wrong one its time by hand "
                            "(| time START-END)\n");
        }
    } catch (const BookError& e) {
        std::fprintf(stderr, "bookmaker: %s\n", qPrintable(e.message()));
        return 1;
    }
    return 0;
}
