// The splash window: its look, the settings its FormShow reads, and the
// status animation counting GBK bytes.

#include "ShellRig.h"
#include "book/Gbk.h"
#include "shell/gui/ZareloApplication.h"
#include "shell/gui/uSplash.h"

#include <QLabel>
#include <QTest>
#include <QTimer>

using namespace zarelo;
using namespace zarelo::shelltest;

class SplashTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { InstallFontSubstitutions(); }

    void looksAsDesigned()
    {
        ShellRig rig;
        TfrmSplash splash(rig.makeApp());
        QCOMPARE(splash.size(), QSize(450, 272));
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(splash.LblStat->geometry(), QRect(5, 232, 87, 19));
        QCOMPARE(splash.LblStat->text(), QStringLiteral("加载数据..."));
        QCOMPARE(splash.LblStat->font().pixelSize(), 14);
        QCOMPARE(splash.LblStat->palette().color(QPalette::WindowText), QColor(0, 0, 0x80));
        QCOMPARE(splash.Label1->text(), QStringLiteral("Zarelo学习软件"));
        QCOMPARE(splash.Label1->pos(), QPoint(13, 8));
        QCOMPARE(splash.Label1->font().pixelSize(), 24);
        QCOMPARE(splash.Label3->text(), QStringLiteral("英语学习辅导"));
        QCOMPARE(splash.Label3->pos(), QPoint(176, 105));
        QVERIFY(splash.Label3->font().italic());
        QCOMPARE(splash.Label3->font().pixelSize(), 35);
        QCOMPARE(splash.Label2->pos(), QPoint(178, 105));
        QCOMPARE(splash.Label2->palette().color(QPalette::WindowText), QColor(0, 0xFF, 0xFF));
        // The navy slogan is drawn over its aqua copy.
        QVERIFY(splash.children().indexOf(splash.Label3) >
                splash.children().indexOf(splash.Label2));
        QCOMPARE(splash.Label4->text(), QStringLiteral("Ver 2.10"));
        QCOMPARE(splash.Label4->pos(), QPoint(248, 146));
        QCOMPARE(splash.Label5->pos(), QPoint(211, 244));
        QCOMPARE(splash.Image2->geometry(), QRect(23, 91, 106, 102));
        QCOMPARE(splash.Timer1->interval(), 1000);
        QVERIFY(splash.Timer1->isActive());
    }

    void theAnimationAlternatesFiveAndThreeDots()
    {
        ShellRig rig;
        AppContext& app = rig.makeApp();
        TfrmSplash splash(app);
        splash.Timer1->stop(); // the test runs the ticks
        QCOMPARE(gbkLength(splash.LblStat->text()), 11);
        const uint32_t before = rig.Clock->GetTickCount();
        splash.Timer1Timer();
        QCOMPARE(splash.LblStat->text(), QStringLiteral("加载数据....."));
        // Five waits of 100 ms on the clock.
        QVERIFY(rig.Clock->GetTickCount() - before >= 500);
        splash.Timer1Timer();
        QCOMPARE(splash.LblStat->text(), QStringLiteral("加载数据..."));
        splash.Timer1Timer();
        QCOMPARE(splash.LblStat->text(), QStringLiteral("加载数据....."));

        // A text longer than 15 bytes gets no dots at all.
        splash.LblStat->setText(QStringLiteral("加载数据加载数据")); // 16 bytes
        splash.Timer1Timer();
        QCOMPARE(splash.LblStat->text(), QStringLiteral("加载数据"));
        splash.Timer1Timer();
        QCOMPARE(splash.LblStat->text(), QStringLiteral("加载数据........")); // 8 + 8
    }

    void formShowReadsTheSkinSettings()
    {
        ShellRig rig;
        AppContext& app = rig.makeApp();
        TfrmSplash splash(app);
        splash.show();
        QCOMPARE(app.SplashHandle.data(), &splash);
        QCOMPARE(splash.DataFolder, rig.ProgramFolder);
        QCOMPARE(splash.SkinFileName, QStringLiteral("默认.ssk"));
        QCOMPARE(splash.SkinColour, -1);
        QCOMPARE(SettingNames(rig.SettingsPath),
                 (QStringList{"bookname", "publicname", "selectskin", "selectcolor"}));
        QVERIFY(rig.Messages->shown.isEmpty());
    }

    void aColourThatIsNotANumberIsReportedAndNotUsed()
    {
        ShellRig rig;
        rig.setting(QStringLiteral("selectskin"), QStringLiteral("PixOS.ssk"));
        rig.setting(QStringLiteral("selectcolor"), QStringLiteral("12a"));
        AppContext& app = rig.makeApp();
        TfrmSplash splash(app);
        splash.show();
        QCOMPARE(rig.Messages->shown.size(), 1);
        QCOMPARE(rig.Messages->shown.first().caption, ApplicationTitle);
        QVERIFY(rig.Messages->shown.first().text.contains(QStringLiteral("12a")));
        QCOMPARE(splash.SkinColour, -1);
        QCOMPARE(splash.SkinFileName, QStringLiteral("PixOS.ssk"));
    }

    void aClosedSplashFreesItself()
    {
        ShellRig rig;
        AppContext& app = rig.makeApp();
        QPointer<TfrmSplash> splash = new TfrmSplash(app);
        splash->show();
        splash->close();
        QTRY_VERIFY(splash.isNull());
        QVERIFY(app.SplashHandle.isNull());
    }
};

QTEST_MAIN(SplashTest)
#include "SplashTest.moc"
