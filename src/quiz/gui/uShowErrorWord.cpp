#include "quiz/gui/uShowErrorWord.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTableWidget>

#include <algorithm>

namespace zarelo {

namespace {
constexpr int kDesignRows = 29; // below the heading
}

TfrmShowErrorWord::TfrmShowErrorWord(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("frmShowErrorWord"));
    setWindowTitle(QStringLiteral("显示答案"));
    setFixedSize(459, 287);
    // The window's own sheet wins over the skin's, so the list keeps its
    // colours under any skin.
    setStyleSheet(QStringLiteral("QDialog#frmShowErrorWord { background: white; }"
                                 "QTableWidget#SgErrorWord { background: rgb(237, 243, 238);"
                                 " color: black; }"));

    SgErrorWord = new QTableWidget(0, 3, this);
    SgErrorWord->setObjectName(QStringLiteral("SgErrorWord"));
    SgErrorWord->setGeometry(0, 0, 459, 250);
    QFont font(QStringLiteral("宋体"));
    font.setPixelSize(16);
    SgErrorWord->setFont(font);
    SgErrorWord->setSelectionBehavior(QAbstractItemView::SelectRows);
    SgErrorWord->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SgErrorWord->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SgErrorWord->verticalHeader()->hide();
    SgErrorWord->horizontalHeader()->setSectionsMovable(true);
    SgErrorWord->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    SgErrorWord->verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    SgErrorWord->setColumnWidth(0, 150);
    SgErrorWord->setColumnWidth(1, 136);
    SgErrorWord->setColumnWidth(2, 200);
    SgErrorWord->hide();

    SpeedButton3 = new QPushButton(QStringLiteral("退出"), this);
    SpeedButton3->setObjectName(QStringLiteral("SpeedButton3"));
    SpeedButton3->setFlat(true);
    SpeedButton3->setGeometry(192, 256, 75, 25);
    connect(SpeedButton3, &QPushButton::clicked, this, &TfrmShowErrorWord::SpeedButton3Click);
}

void TfrmShowErrorWord::FillAnswerGrid(const std::vector<WrongAnswer>& answers)
{
    SgErrorWord->show();
    SgErrorWord->setFrameShape(QFrame::NoFrame);
    SgErrorWord->setHorizontalHeaderLabels(
        {QStringLiteral("标准答案"), QStringLiteral("输入答案"), QStringLiteral("中文")});
    SgErrorWord->setRowCount(std::max(kDesignRows, int(answers.size())));
    for (int i = 0; i < int(answers.size()); ++i) {
        const WrongAnswer& a = answers[size_t(i)];
        SgErrorWord->setItem(i, 0, new QTableWidgetItem(a.AnswerStandard));
        SgErrorWord->setItem(i, 1, new QTableWidgetItem(a.AnswerInput));
        SgErrorWord->setItem(i, 2, new QTableWidgetItem(a.AnswerChinese));
    }
}

void TfrmShowErrorWord::SpeedButton3Click()
{
    accept();
}

} // namespace zarelo
