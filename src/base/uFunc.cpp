#include "base/uFunc.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>

namespace zarelo {

std::vector<QByteArrayView> SplitFields(QByteArrayView text, char separator)
{
    std::vector<QByteArrayView> parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == separator) {
            parts.push_back(text.sliced(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(text.sliced(start));
    return parts;
}

uint32_t SystemTicks::GetTickCount() const
{
    static const QElapsedTimer started = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return static_cast<uint32_t>(started.elapsed());
}

void Delay(const TickSource& ticks, uint32_t milliseconds)
{
    const uint32_t start = ticks.GetTickCount();
    for (;;) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        const uint32_t now = ticks.GetTickCount();
        if (now < start || now - start >= milliseconds)
            return;
        QThread::msleep(1);
    }
}

} // namespace zarelo
