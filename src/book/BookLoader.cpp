#include "book/BookLoader.h"

#include "base/BookError.h"
#include "base/UserMessages.h"
#include "book/BookFiles.h"
#include "book/BookLibrary.h"
#include "book/Gbk.h"

#include <QFile>
#include <QObject>
#include <array>
#include <charconv>

namespace zarelo {

namespace {

// More than any book's names need; a larger file is not read.
constexpr qint64 kMaxPronunciationsBytes = 1 << 20;

// The parts of a split, as SplitFields gives them, without allocating: the
// first N parts are kept, `count` counts them all. The loaders split every
// line several times, so this keeps a load close to the cost of reading.
template <size_t N> struct Parts {
    std::array<QByteArrayView, N> part;
    size_t count = 0;

    Parts(QByteArrayView text, char separator)
    {
        qsizetype start = 0;
        const char* data = text.data();
        for (qsizetype i = 0; i < text.size(); ++i) {
            if (data[i] == separator) {
                if (count < N)
                    part[count] = QByteArrayView(data + start, i - start);
                ++count;
                start = i + 1;
            }
        }
        if (count < N)
            part[count] = QByteArrayView(data + start, text.size() - start);
        ++count;
    }
    QByteArrayView operator[](size_t i) const { return part[i]; }
};

// A decimal integer with an optional sign and nothing else.
bool parseInt(QByteArrayView text, int& value)
{
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (begin != end && *begin == '+')
        ++begin;
    if (begin == end)
        return false;
    const auto [stop, error] = std::from_chars(begin, end, value);
    return error == std::errc() && stop == end;
}

int intOf(QByteArrayView text, const char* what)
{
    int value = 0;
    if (!parseInt(text, value))
        throw BookError(QObject::tr("%1 “%2” 不是整数").arg(QLatin1String(what), fromGbk(text)));
    return value;
}

// Minutes and seconds of m:s:x as tenths; the third part is left to the caller.
double minutesAndSeconds(const Parts<3>& parts, QByteArrayView text)
{
    if (parts.count < 3)
        throw BookError(QObject::tr("时间 “%1” 不是 分:秒:小数 格式").arg(fromGbk(text)));
    return intOf(parts[0], "分钟数") * 600.0 + intOf(parts[1], "秒数") * 10.0;
}

// Runs `parse` and turns a BookError into one that names file, line and field.
template <typename F>
void withContext(const QString& fileName, int lineNumber, const char* field, F&& parse)
{
    try {
        parse();
    } catch (const BookError& e) {
        throw BookError(QObject::tr("%1 第 %2 行：字段 %3：%4")
                            .arg(fileName)
                            .arg(lineNumber)
                            .arg(QLatin1String(field), e.message()));
    }
}

[[noreturn]] void missingField(const QString& fileName, int lineNumber, QByteArrayView line,
                               size_t fieldCount, size_t needed, const char* firstMissing)
{
    if (line.isEmpty())
        throw BookError(QObject::tr("%1 第 %2 行：空行（每行应有 %3 个以 ; 分隔的字段）")
                            .arg(fileName)
                            .arg(lineNumber)
                            .arg(needed));
    throw BookError(QObject::tr("%1 第 %2 行：只有 %3 个字段，缺少字段 %4")
                        .arg(fileName)
                        .arg(lineNumber)
                        .arg(fieldCount)
                        .arg(QLatin1String(firstMissing)));
}

// x,y of a box corner.
void corner(QByteArrayView text, int& x, int& y, const char* what)
{
    const Parts<2> xy(text, ',');
    if (xy.count < 2)
        throw BookError(
            QObject::tr("%1 “%2” 不是 x,y 格式").arg(QLatin1String(what), fromGbk(text)));
    x = intOf(xy[0], what);
    y = intOf(xy[1], what);
}

constexpr const char* kLocationFields[] = {"0 (PageName)",
                                           "1 (Kind)",
                                           "2 (Box1Left,Box1Top)",
                                           "3 (boxes)",
                                           "4 (VoiceName)",
                                           "5 (StartTime,EndTime)",
                                           "6 (ChineseText:EnglishText)"};
constexpr const char* kLessonFields[] = {"0 (Name)",      "1 (Title)",   "2 (Column2)",
                                         "3 (StartTime)", "4 (Column4)", "5 (EndTime)",
                                         "6 (FirstPage)", "7 (EndPage)"};

template <typename T> void sized(std::vector<T>& column, int rows)
{
    column.clear();
    column.resize(rows);
}

QByteArray readAndDelete(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw BookError(QObject::tr("不能读取文件 %1：%2").arg(path, file.errorString()));
    QByteArray bytes = file.readAll();
    file.close();
    file.remove();
    return bytes;
}

} // namespace

double SentenceTime(QByteArrayView text)
{
    const Parts<3> parts(text, ':');
    const double whole = minutesAndSeconds(parts, text);
    const QByteArrayView f = parts[2];
    double fraction = 0;
    switch (f.size()) {
    case 1:
        fraction = intOf(f, "小数");
        break;
    case 2:
        fraction = intOf(f, "小数") / 10.0;
        break;
    case 3:
        fraction = intOf(f, "小数") / 100.0;
        break;
    default:
        break; // another length adds nothing
    }
    return whole + fraction;
}

double LessonTime(QByteArrayView text)
{
    const Parts<3> parts(text, ':');
    const double whole = minutesAndSeconds(parts, text);
    return whole + intOf(parts[2], "十分之一秒数");
}

void SplitLines(QByteArrayView bytes, TextColumn& lines)
{
    const char* data = bytes.data();
    const qsizetype size = bytes.size();
    qsizetype rows = 0;
    for (qsizetype i = 0; i < size; ++i)
        rows += data[i] == '\n';
    lines.reserve(lines.size() + static_cast<int>(rows) + 1, size);
    qsizetype start = 0;
    while (start < size) {
        const char* found = static_cast<const char*>(memchr(data + start, '\n', size - start));
        const qsizetype end = found ? found - data : size;
        qsizetype lineEnd = end;
        // A CR before the LF, or at the very end of a file whose last line
        // has no LF, belongs to the line ending.
        if (lineEnd > start && data[lineEnd - 1] == '\r')
            --lineEnd;
        if (found || lineEnd > start)
            lines.append(QByteArrayView(data + start, lineEnd - start));
        start = end + 1;
    }
}

void ParseLocationLines(const TextColumn& lines, SentenceTable& t, const QString& fileName,
                        int firstLineNumber)
{
    const int n = lines.size();
    qsizetype bytes = 0;
    if (n > 0) {
        const QByteArrayView last = lines[n - 1];
        bytes = last.data() + last.size() - lines[0].data();
    }
    for (TextColumn* c : {&t.PageName, &t.Kind, &t.VoiceName, &t.ChineseText, &t.EnglishText}) {
        c->clear();
        c->reserve(n, c == &t.PageName || c == &t.Kind ? 8 * qsizetype(n) : bytes / 3);
    }
    for (auto* c :
         {&t.Box1Left, &t.Box1Top, &t.Box1Right, &t.Box1Bottom, &t.Box2Left, &t.Box2Top,
          &t.Box2Right, &t.Box2Bottom, &t.Box3Left, &t.Box3Top, &t.Box3Right, &t.Box3Bottom})
        sized(*c, n);
    sized(t.StartTime, n);
    sized(t.EndTime, n);

    for (int i = 0; i < n; ++i) {
        const QByteArrayView line = lines[i];
        const int lineNumber = firstLineNumber + i;
        const Parts<7> f(line, ';');
        if (f.count < 7)
            missingField(fileName, lineNumber, line, f.count, 7, kLocationFields[f.count]);

        t.PageName.append(f[0]);
        t.Kind.append(f[1]);
        withContext(fileName, lineNumber, kLocationFields[2],
                    [&] { corner(f[2], t.Box1Left[i], t.Box1Top[i], "坐标"); });

        int* boxes[10] = {&t.Box1Right[i], &t.Box1Bottom[i], &t.Box2Left[i], &t.Box2Top[i],
                          &t.Box2Right[i], &t.Box2Bottom[i], &t.Box3Left[i], &t.Box3Top[i],
                          &t.Box3Right[i], &t.Box3Bottom[i]};
        for (int* b : boxes)
            *b = -1;
        const Parts<5> corners(f[3], '@');
        if (corners.count == 1 || corners.count == 3 || corners.count == 5) {
            withContext(fileName, lineNumber, kLocationFields[3], [&] {
                for (size_t k = 0; k < corners.count; ++k)
                    corner(corners[k], *boxes[2 * k], *boxes[2 * k + 1], "坐标");
            });
        }

        t.VoiceName.append(f[4]);

        const Parts<2> texts(f[6], ':');
        if (texts.count >= 2) {
            t.ChineseText.append(texts[0]);
            t.EnglishText.append(texts[1]);
        } else {
            t.ChineseText.append({});
            t.EnglishText.append({});
        }

        withContext(fileName, lineNumber, kLocationFields[5], [&] {
            const Parts<2> range(f[5], ',');
            if (range.count < 2)
                throw BookError(
                    QObject::tr("时间范围 “%1” 不是 开始,结束 格式").arg(fromGbk(f[5])));
            t.StartTime[i] = SentenceTime(range[0]);
            t.EndTime[i] = SentenceTime(range[1]);
        });
    }
}

void ParseLessonLines(const TextColumn& lines, LessonTable& t, const QString& fileName,
                      int firstLineNumber)
{
    const int n = lines.size();
    for (TextColumn* c : {&t.Name, &t.Title, &t.Column2, &t.Column4}) {
        c->clear();
        c->reserve(n, 16 * qsizetype(n));
    }
    sized(t.StartTime, n);
    sized(t.EndTime, n);
    sized(t.FirstPage, n);
    sized(t.EndPage, n);

    for (int j = 0; j < n; ++j) {
        const QByteArrayView line = lines[j];
        const int lineNumber = firstLineNumber + j;
        const Parts<8> g(line, ';');
        if (g.count < 8)
            missingField(fileName, lineNumber, line, g.count, 8, kLessonFields[g.count]);
        t.Name.append(g[0]);
        t.Title.append(g[1]);
        t.Column2.append(g[2]);
        t.Column4.append(g[4]);
        withContext(fileName, lineNumber, kLessonFields[6],
                    [&] { t.FirstPage[j] = intOf(g[6], "页码"); });
        withContext(fileName, lineNumber, kLessonFields[7],
                    [&] { t.EndPage[j] = intOf(g[7], "页码"); });
        withContext(fileName, lineNumber, kLessonFields[3],
                    [&] { t.StartTime[j] = LessonTime(g[3]); });
        withContext(fileName, lineNumber, kLessonFields[5],
                    [&] { t.EndTime[j] = LessonTime(g[5]); });
    }
}

bool ReadBookLists(const ProgramPaths& paths, BookContent& content, UserMessages& messages,
                   QObject* owner, const ChooseBookFn& chooseBook)
{
    const QString location = paths.TempFolder + QStringLiteral("/location.txt");
    if (!QFile::exists(location)) {
        messages.showMessage(QStringLiteral("未安装本册书的资料文件！          "),
                             QStringLiteral("提示"), owner);
        if (chooseBook)
            chooseBook();
        return false;
    }
    {
        const QByteArray bytes = readAndDelete(location);
        // The header line is dropped; the entry lines go straight into one buffer.
        const qsizetype headerEnd = bytes.indexOf('\n');
        TextColumn entries;
        if (headerEnd >= 0)
            SplitLines(QByteArrayView(bytes).sliced(headerEnd + 1), entries);
        content.LocationLines = std::move(entries);
    }

    const QString lessons = paths.TempFolder + QStringLiteral("/LessonIndex.txt");
    if (!QFile::exists(lessons)) {
        messages.showMessage(QStringLiteral("课文目录文件不存在！         "),
                             QStringLiteral("提示"), nullptr);
        if (chooseBook)
            chooseBook();
        return false;
    }
    TextColumn lessonLines;
    SplitLines(readAndDelete(lessons), lessonLines);
    content.LessonIndexLines = std::move(lessonLines);
    return true;
}

QString NoEntriesMessage()
{
    return QStringLiteral("本册书的资料文件中没有任何句子或单词！");
}

bool LoadBookContent(const ProgramPaths& paths, OpenBook& book, UserMessages& messages,
                     QObject* owner, const ChooseBookFn& chooseBook,
                     const std::function<void()>& openFirstVoice)
{
    InflateBookFiles(paths, book);

    // The header flag is read here too, so that the open book changes in one
    // step when everything below has succeeded.
    bool isTextBook = false;
    {
        QFile header(paths.TempFolder + QStringLiteral("/location.txt"));
        if (header.open(QIODevice::ReadOnly)) {
            QByteArray first = header.readLine();
            if (first.endsWith('\n'))
                first.chop(1);
            if (first.endsWith('\r'))
                first.chop(1);
            const Parts<2> fields(first, ';');
            isTextBook = fields.count > 1 && fields[1] == QByteArrayView("text");
        }
    }

    BookContent fresh;
    if (!ReadBookLists(paths, fresh, messages, owner, chooseBook))
        return false;
    if (fresh.LocationLines.empty()) {
        messages.showMessage(NoEntriesMessage(), QStringLiteral("提示"), owner);
        if (chooseBook)
            chooseBook();
        return false;
    }
    // The book's own pronunciations, for the oral training's word aligner: a
    // plain text file beside the tables (a few names), read when present.
    QFile pronunciations(
        FindBookEntry(BookFolder(paths, book), QLatin1String(kBookPronunciationsName)));
    if (pronunciations.size() <= kMaxPronunciationsBytes &&
        pronunciations.open(QIODevice::ReadOnly))
        fresh.Pronunciations = pronunciations.readAll();
    // Line 1 of "location.txt" is the header.
    ParseLocationLines(fresh.LocationLines, fresh.Sentences, QStringLiteral("location.txt"), 2);
    ParseLessonLines(fresh.LessonIndexLines, fresh.Lessons, QStringLiteral("LessonIndex.txt"), 1);

    book.Content = std::move(fresh);
    book.IsTextBook = isTextBook;
    book.CurrentVoiceName = book.Content.Sentences.VoiceName[0].toByteArray();
    book.LoadedVoiceName = book.CurrentVoiceName;
    if (openFirstVoice)
        openFirstVoice();
    return true;
}

} // namespace zarelo
