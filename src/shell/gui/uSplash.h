#pragma once
// The splash window TfrmSplash: shown while the program starts (and, as a
// loading screen, while another book is opened). Its FormShow reads the skin
// settings; its Timer1 animates the status line LblStat. UI thread only.

#include <QWidget>

class QLabel;
class QTimer;

namespace zarelo {

class AppContext;

class TfrmSplash : public QWidget {
    Q_OBJECT
public:
    explicit TfrmSplash(AppContext& app, QWidget* parent = nullptr);

    // Read by the start-up sequence after the splash was shown.
    QString DataFolder;      // where the skin folder is (ProgramPaths::Data), no trailing separator
    QString SkinFileName;    // empty when the settings key could not be opened
    int32_t SkinColour = -1; // stored colour value; -1: no tint

    QLabel* Image1;  // background picture, the whole window
    QLabel* Image2;  // logo, 106 x 102, stretched
    QLabel* Label1;  // "Zarelo学习软件"
    QLabel* Label2;  // aqua copy of the slogan, below Label3
    QLabel* Label3;  // "英语学习辅导"
    QLabel* Label4;  // "Ver 2.10"
    QLabel* Label5;  // the maker's web address
    QLabel* LblStat; // status line, "加载数据..." at first
    QTimer* Timer1;  // 1000 ms, runs from creation

    // SplashHandle := this; program folder; reads bookname, publicname,
    // selectskin, selectcolor (creating the missing ones). A selectcolor that
    // is not an integer goes to the general error report; the colour stays -1.
    void FormShow();
    // One animation step: LblStat becomes "加载数据" and, when its GBK length
    // was at most 15 bytes, gets 16 - length dots, one each 100 ms (Delay,
    // which keeps processing messages), repainting after each.
    void Timer1Timer();

protected:
    void showEvent(QShowEvent* event) override;
    // FormClose: a closed splash frees itself.
    void closeEvent(QCloseEvent* event) override;

private:
    AppContext& app_;
};

} // namespace zarelo
