// The skin layer: style sheets applied to the whole program, tinting, and
// that a missing or unreadable skin leaves the default look.

#include "shell/gui/SkinLayer.h"
#include "ShellRig.h"
#include "shell/SkinFiles.h"
#include "shell/gui/ZareloApplication.h"
#include "shell/gui/uFrmMain.h"

#include <QTest>
#include <QToolButton>

using namespace zarelo;
using namespace zarelo::shelltest;

class SkinLayerTest : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { qApp->setStyleSheet(QString()); }

    void aSkinIsAStyleSheetForTheWholeProgram()
    {
        ShellRig rig;
        rig.addSkin(QStringLiteral("Skin"), QStringLiteral("Blue.SSK"),
                    "QToolButton { color: #102030; }");
        SkinLayer skin;
        QVERIFY(skin.sppLoadSkin(SkinFilePath(rig.ProgramFolder, QStringLiteral("blue.ssk")), 0));
        QCOMPARE(qApp->styleSheet(), QStringLiteral("QToolButton { color: #102030; }"));
        QToolButton button;
        button.ensurePolished();
        QCOMPARE(button.palette().color(QPalette::ButtonText), QColor(0x10, 0x20, 0x30));
    }

    void aMissingOrUnreadableSkinLeavesTheDefaultLook()
    {
        ShellRig rig;
        SkinLayer skin;
        qApp->setStyleSheet(QStringLiteral("QLabel { color: red; }"));
        QVERIFY(!skin.sppLoadSkin(SkinFilePath(rig.ProgramFolder, QStringLiteral("默认.ssk")), 0));
        QCOMPARE(qApp->styleSheet(), QString());
        QDir().mkpath(rig.ProgramFolder + QStringLiteral("/skin/dir.ssk"));
        QVERIFY(!skin.sppLoadSkin(rig.ProgramFolder + QStringLiteral("/skin/dir.ssk"), 0));
        QVERIFY(!skin.sppLoadSkin(QString(), 0));
        // Garbage is handed to Qt, which ignores what it cannot parse.
        rig.addSkin(QStringLiteral("skin"), QStringLiteral("bad.ssk"), "\xff\xfe{{{ color: ;;");
        QVERIFY(skin.sppLoadSkin(rig.ProgramFolder + QStringLiteral("/skin/bad.ssk"), 0));
        QToolButton button;
        button.ensurePolished();
    }

    void startUpGoesOnWithoutTheSkin()
    {
        ShellRig rig;
        rig.setting(QStringLiteral("selectskin"), QStringLiteral("nowhere.ssk"));
        AppContext& app = rig.makeApp();
        QVERIFY(!app.Skin.sppLoadSkin(
            SkinFilePath(rig.ProgramFolder, QStringLiteral("nowhere.ssk")), 0));
        AnswerNextModal([](QWidget* modal) { modal->close(); });
        TfrmMain w(app);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(rig.Messages->shown.isEmpty());
    }

    void colourisingTintsPaletteAndSheetAndCanBeUndone()
    {
        ShellRig rig;
        rig.addSkin(QStringLiteral("skin"), QStringLiteral("a.ssk"), "QLabel { color: #808080; }");
        SkinLayer skin;
        const QPalette original = QApplication::palette();
        QVERIFY(skin.sppLoadSkin(rig.ProgramFolder + QStringLiteral("/skin/a.ssk"), 0));
        QVERIFY(skin.sppColorize(StoredFromRgb({255, 0, 0}), 0.5, 0));
        QVERIFY(!qApp->styleSheet().contains(QStringLiteral("#808080")));
        const QColor window = QApplication::palette().color(QPalette::Window);
        QVERIFY(window.red() > window.blue());
        QVERIFY(skin.sppColorize(-1, 0.5, 0));
        QCOMPARE(qApp->styleSheet(), QStringLiteral("QLabel { color: #808080; }"));
        QCOMPARE(QApplication::palette().color(QPalette::Window), original.color(QPalette::Window));
    }

    void theSystemButtonFaceColourTintsWithTheButtonColour()
    {
        SkinLayer skin;
        const QColor face = skin.systemPalette().color(QPalette::Active, QPalette::Button);
        QCOMPARE(ColourOfValue(SystemButtonFaceColour, skin.systemPalette()), face);
        QVERIFY(skin.sppColorize(SystemButtonFaceColour, 0.5, 0));
        QCOMPARE(*skin.tint(), (Rgb{face.red(), face.green(), face.blue()}));
        // An unknown system colour index changes nothing.
        QVERIFY(!skin.sppColorize(static_cast<int32_t>(0x800000FE), 0.5, 0));
        QCOMPARE(*skin.tint(), (Rgb{face.red(), face.green(), face.blue()}));
        skin.sppColorize(-1, 0.5, 0);
    }

    void aWindowMarkedWithAResourceIdCanBeStyled()
    {
        SkinLayer skin;
        QToolButton bar;
        qApp->setStyleSheet(QStringLiteral("QToolButton[skinResID=\"7\"] { color: #0a0b0c; }"));
        skin.sppSetWindowResID(&bar, 7);
        bar.ensurePolished();
        QCOMPARE(bar.property("skinResID").toInt(), 7);
        QCOMPARE(bar.palette().color(QPalette::ButtonText), QColor(0x0a, 0x0b, 0x0c));
    }
};

QTEST_MAIN(SkinLayerTest)
#include "SkinLayerTest.moc"
