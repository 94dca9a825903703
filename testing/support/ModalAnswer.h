#pragma once
// Answering a modal window from a window test: the answer runs as soon as the
// next modal window is up, checked every 10 ms from the event loop that the
// modal window runs. For window tests only (QtWidgets).

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace zarelo::fakes {

inline void AnswerNextModal(std::function<void(QWidget*)> answer)
{
    auto* timer = new QTimer(qApp);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer = std::move(answer)] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        answer(modal);
    });
    timer->start();
}

} // namespace zarelo::fakes
