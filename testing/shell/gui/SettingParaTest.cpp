// The settings dialog over a real settings file: loading, defaults, lists,
// OK writing only existing values in order, Cancel, the skin list and the
// colour picker.

#include "ShellRig.h"
#include "base/gui/Panel.h"
#include "shell/SkinSheet.h"
#include "shell/gui/RadioGroup.h"
#include "shell/gui/ZareloApplication.h"
#include "shell/gui/uSettingPara.h"

#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

using namespace zarelo;
using namespace zarelo::shelltest;

namespace {

QStringList Items(const QComboBox* list)
{
    QStringList out;
    for (int i = 0; i < list->count(); ++i)
        out << list->itemText(i);
    return out;
}

} // namespace

class SettingParaTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void controlsAndLists()
    {
        ShellRig rig;
        TfrmSettingPara dialog(rig.makeApp());
        QCOMPARE(dialog.windowTitle(), QStringLiteral("设置参数"));
        QCOMPARE(dialog.size(), QSize(329, 431));
        QVERIFY(dialog.windowFlags() & Qt::WindowStaysOnTopHint);
        QCOMPARE(dialog.RdTestArea->title(), QStringLiteral(" 测试范围 "));
        QCOMPARE(dialog.RdTestArea->button(0)->text(), QStringLiteral("本册单词/句子"));
        QCOMPARE(dialog.RdTestArea->button(1)->text(), QStringLiteral("本课单词/句子"));
        QCOMPARE(Items(dialog.CmbWordNumber), (QStringList{"十个", "十五个", "二十个", "全部"}));
        QCOMPARE(Items(dialog.CmbWaitTime),
                 (QStringList{"5", "7", "10", "12", "15", "18", "20", "25"}));
        const QStringList oneToTen{"1", "2", "3", "4", "5", "6", "7", "8", "9", "10"};
        for (QComboBox* list : {dialog.CmbSeriRightTimes, dialog.CmbLastTestRightDays,
                                dialog.CmbRightTestOverTimes}) {
            QCOMPARE(Items(list), oneToTen);
            QVERIFY(!list->isEditable());
            QCOMPARE(list->palette().color(QPalette::Base),
                     QColor(0xED, 0xF3, 0xEE)); // stored 15660013
        }
        QCOMPARE(dialog.SpeedButton3->text(), QStringLiteral("确   定"));
        QCOMPARE(dialog.SpeedButton1->text(), QStringLiteral("取  消"));
        QCOMPARE(dialog.SpeedButton4->text(), QStringLiteral("选择"));
        QCOMPARE(dialog.findChild<QColorDialog*>(QStringLiteral("ColorDialog1")),
                 dialog.ColorDialog1);
        QStringList texts;
        // The dialog's own labels (the colour picker has labels of its own).
        QList<QLabel*> labels = dialog.findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
        labels += dialog.GroupBox1->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly);
        for (const QLabel* label : labels) {
            texts << label->text();
            QCOMPARE(label->font().pixelSize(), 16);
        }
        for (const char* text :
             {"单词/句子数量", "间隔时间", "秒", "连续正确次数小于", "次", "上次正确测试时间大于",
              "天", "测试正确次数-错误次数小于", "系统颜色", "系统风格", "下次启动生效"})
            QVERIFY2(texts.contains(QString::fromUtf8(text)), text);
    }

    void anEmptyKeyGetsTheDefaultsInOrder()
    {
        ShellRig rig;
        rig.addSkin(QStringLiteral("skin"), QStringLiteral("PixOS.ssk"), "");
        AppContext& app = rig.makeApp();
        TfrmSettingPara dialog(app);
        QCOMPARE(dialog.RdTestArea->itemIndex(), 1);
        QCOMPARE(dialog.CmbWordNumber->currentText(), QStringLiteral("十个"));
        QCOMPARE(dialog.CmbWaitTime->currentText(), QStringLiteral("10"));
        QCOMPARE(dialog.CmbSeriRightTimes->currentText(), QStringLiteral("3"));
        QCOMPARE(dialog.cmbSkinName->currentText(), QStringLiteral("PixOS.ssk"));
        QCOMPARE(dialog.SelectColour(), SystemButtonFaceColour);
        QCOMPARE(app.Settings.TestAreaSetting, 1);
        QCOMPARE(app.Settings.WaitTimeSetting, 10);
        QCOMPARE(app.Settings.RightOverSetting, 3);
        QCOMPARE(
            ReadText(rig.SettingsPath),
            QStringLiteral(
                "testarea=1\nwordnumber=十个\nwaittime=10\nseririghttimes=3\nlasttestrightdays=3\n"
                "righttestovertimes=3\nselectskin=PixOS.ssk\nselectcolor=\n"));

        // OK without touching anything writes the panel's default colour as
        // a signed number.
        dialog.SpeedButton3Click();
        QCOMPARE(rig.setting(QStringLiteral("selectcolor")), QStringLiteral("-2147483633"));
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }

    void storedValuesAreShownAndUnknownOnesSelectTheFirstItem()
    {
        ShellRig rig;
        rig.addSkin(QStringLiteral("skin"), QStringLiteral("默认.ssk"), "");
        rig.addSkin(QStringLiteral("skin"), QStringLiteral("PixOS.ssk"), "");
        rig.setting(QStringLiteral("testarea"), QStringLiteral("0"));
        rig.setting(QStringLiteral("wordnumber"), QStringLiteral("二十个"));
        rig.setting(QStringLiteral("waittime"), QStringLiteral("30"));
        rig.setting(QStringLiteral("seririghttimes"), QStringLiteral("7"));
        rig.setting(QStringLiteral("lasttestrightdays"), QStringLiteral("10"));
        rig.setting(QStringLiteral("righttestovertimes"), QStringLiteral("x"));
        rig.setting(QStringLiteral("selectskin"), QStringLiteral("PixOS.ssk"));
        rig.setting(QStringLiteral("selectcolor"), QStringLiteral("255"));
        AppContext& app = rig.makeApp();
        TfrmSettingPara dialog(app);
        QCOMPARE(dialog.RdTestArea->itemIndex(), 0);
        QCOMPARE(app.Settings.TestAreaSetting, 0);
        QCOMPARE(dialog.CmbWordNumber->currentText(), QStringLiteral("二十个"));
        QCOMPARE(dialog.CmbWaitTime->currentText(), QStringLiteral("5")); // 30 is not offered
        QCOMPARE(app.Settings.WaitTimeSetting, 5);
        QCOMPARE(dialog.CmbSeriRightTimes->currentText(), QStringLiteral("7"));
        QCOMPARE(dialog.CmbLastTestRightDays->currentText(), QStringLiteral("10"));
        QCOMPARE(dialog.CmbRightTestOverTimes->currentText(), QStringLiteral("1"));
        QCOMPARE(dialog.cmbSkinName->currentText(), QStringLiteral("PixOS.ssk"));
        QCOMPARE(dialog.SelectColour(), 255);
        QCOMPARE(dialog.pnSelectColor->fillColour(), QColor(255, 0, 0));

        QTest::mouseClick(dialog.SpeedButton3, Qt::LeftButton);
        QCOMPARE(ReadText(rig.SettingsPath),
                 QStringLiteral("testarea=0\nwordnumber=二十个\nwaittime=5\nseririghttimes="
                                "7\nlasttestrightdays=10\n"
                                "righttestovertimes=1\nselectskin=PixOS.ssk\nselectcolor=255\n"));
    }

    void okWritesOnlyValuesThatExist()
    {
        ShellRig rig;
        AppContext& app = rig.makeApp();
        TfrmSettingPara dialog(app);
        // Values deleted while the dialog is open are not created again.
        WriteFile(rig.SettingsPath, "wordnumber=全部\nselectskin=gone.ssk\n");
        dialog.CmbWaitTime->setCurrentIndex(dialog.CmbWaitTime->findText(QStringLiteral("25")));
        dialog.CmbWordNumber->setCurrentIndex(
            dialog.CmbWordNumber->findText(QStringLiteral("十五个")));
        QTest::mouseClick(dialog.SpeedButton3, Qt::LeftButton);
        // The skin list is empty (no skin folder): an empty name is written.
        QCOMPARE(ReadText(rig.SettingsPath), QStringLiteral("wordnumber=十五个\nselectskin=\n"));
    }

    void cancelWritesNothing()
    {
        ShellRig rig;
        AppContext& app = rig.makeApp();
        TfrmSettingPara dialog(app);
        const QString before = ReadText(rig.SettingsPath);
        dialog.show();
        dialog.CmbWaitTime->setCurrentIndex(0);
        dialog.RdTestArea->setItemIndex(0);
        QTest::mouseClick(dialog.SpeedButton1, Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QVERIFY(!dialog.isVisible());
        QCOMPARE(ReadText(rig.SettingsPath), before);
    }

    void theSkinListIgnoresLetterCase()
    {
        ShellRig rig;
        rig.addSkin(QStringLiteral("SKIN"), QStringLiteral("Blue.SSK"), "");
        rig.addSkin(QStringLiteral("SKIN"), QStringLiteral("green.ssk"), "");
        rig.addSkin(QStringLiteral("SKIN"), QStringLiteral("notes.txt"), "");
        QDir().mkpath(rig.ProgramFolder + QStringLiteral("/SKIN/folder.ssk"));
        rig.setting(QStringLiteral("selectskin"), QStringLiteral("green.ssk"));
        TfrmSettingPara dialog(rig.makeApp());
        QStringList names = Items(dialog.cmbSkinName);
        names.sort();
        QCOMPARE(names, (QStringList{"Blue.SSK", "green.ssk"}));
        QCOMPARE(dialog.cmbSkinName->currentText(), QStringLiteral("green.ssk"));
    }

    void aPickedColourTintsAtOnceAndCancelKeepsItUnsaved()
    {
        ShellRig rig;
        AppContext& app = rig.makeApp();
        TfrmSettingPara dialog(app);
        dialog.show();
        AnswerNextModal([](QWidget* modal) {
            auto* picker = qobject_cast<QColorDialog*>(modal);
            QVERIFY(picker);
            picker->setCurrentColor(QColor(0, 128, 255));
            picker->accept();
        });
        QTest::mouseClick(dialog.SpeedButton4, Qt::LeftButton);
        QCOMPARE(dialog.SelectColour(), StoredFromRgb({0, 128, 255}));
        QVERIFY(app.Skin.tint().has_value());
        QCOMPARE(*app.Skin.tint(), (Rgb{0, 128, 255}));
        QVERIFY(QApplication::palette().color(QPalette::Window) !=
                app.Skin.systemPalette().color(QPalette::Window));

        // A refused picker changes nothing.
        AnswerNextModal([](QWidget* modal) { qobject_cast<QDialog*>(modal)->reject(); });
        QTest::mouseClick(dialog.SpeedButton4, Qt::LeftButton);
        QCOMPARE(dialog.SelectColour(), StoredFromRgb({0, 128, 255}));

        const QString before = ReadText(rig.SettingsPath);
        QTest::mouseClick(dialog.SpeedButton1, Qt::LeftButton);
        QCOMPARE(ReadText(rig.SettingsPath), before);
        QVERIFY(app.Skin.tint().has_value()); // the run stays tinted
        app.Skin.sppColorize(-1, 0.5, 0);
    }

    void aStoredColourThatIsNotANumberIsReported()
    {
        ShellRig rig;
        rig.setting(QStringLiteral("selectcolor"), QStringLiteral("red"));
        TfrmSettingPara dialog(rig.makeApp());
        QCOMPARE(rig.Messages->shown.size(), 1);
        QVERIFY(rig.Messages->shown.first().text.contains(QStringLiteral("red")));
        QCOMPARE(dialog.SelectColour(), SystemButtonFaceColour);
    }
};

QTEST_MAIN(SettingParaTest)
#include "SettingParaTest.moc"
