#include "book/BookContent.h"

#include "base/BookError.h"
#include "book/Gbk.h"

#include <QObject>
#include <charconv>

namespace zarelo {

std::optional<int> PageNumberOf(QByteArrayView pageName)
{
    const QByteArrayView digits = pageName.size() > 4 ? pageName.sliced(4) : QByteArrayView();
    int page = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), page);
    if (digits.isEmpty() || error != std::errc() || end != digits.data() + digits.size())
        return std::nullopt;
    return page;
}

int OpenBook::EntryPage(int row) const
{
    const QByteArrayView name = Content.Sentences.PageName[row];
    const std::optional<int> page = PageNumberOf(name);
    if (!page)
        throw BookError(
            QObject::tr("第 %1 条的页面名“%2”不含页码").arg(row + 1).arg(fromGbk(name)));
    return *page;
}

void OpenBook::LessonOfPage()
{
    const LessonTable& lessons = Content.Lessons;
    for (int row = 0; row < lessons.count(); ++row) {
        if (lessons.FirstPage[row] <= CurrentPage && CurrentPage <= lessons.EndPage[row]) {
            CurrentLesson = row;
            return;
        }
    }
}

QString OpenBook::CurrentUnitText() const
{
    const LessonTable& lessons = Content.Lessons;
    if (CurrentLesson < 0 || CurrentLesson >= lessons.count())
        return {};
    return QStringLiteral("当前单元:") + fromGbk(lessons.Name[CurrentLesson]) + u':' +
           fromGbk(lessons.Title[CurrentLesson]);
}

} // namespace zarelo
