#pragma once
// The answer list window TfrmShowErrorWord ("显示答案"): every wrong answer of
// the last word test with what was typed and its Chinese text. Created for
// one showing, modal, always on top.

#include "base/uPublicVarDefine.h"

#include <QDialog>
#include <vector>

class QPushButton;
class QTableWidget;

namespace zarelo {

class TfrmShowErrorWord final : public QDialog {
    Q_OBJECT
public:
    explicit TfrmShowErrorWord(QWidget* parent = nullptr);

    // Shows the grid with the heading "标准答案", "输入答案", "中文" and one
    // row per answer, in order; at least the 29 rows of the design.
    void FillAnswerGrid(const std::vector<WrongAnswer>& answers);

    QTableWidget* SgErrorWord;
    QPushButton* SpeedButton3;

public slots:
    void SpeedButton3Click();
};

} // namespace zarelo
