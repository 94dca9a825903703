// The book selection dialog, ChooseBook, the message boxes and the unit tree,
// on the offscreen platform.
#include "../TestLibrary.h"
#include "base/SettingsKey.h"
#include "base/gui/MessageBoxes.h"
#include "book/Gbk.h"
#include "book/gui/UnitTree.h"
#include "book/gui/uSelectBook.h"
#include "support/ScriptedMessages.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

using namespace zarelo;
using zarelo::booktest::TestLibrary;
using zarelo::fakes::ScriptedMessages;

class SelectBookTest : public QObject {
    Q_OBJECT

    std::unique_ptr<TestLibrary> library;
    ScriptedMessages messages;

    void setPublicname(const QString& value)
    {
        SettingsKey key(library->paths.SettingsPath);
        key.writeString("bookname", "");
        key.writeString("publicname", value);
    }
    QStringList gridColumn(const TfrmSelectBook& dialog, int column)
    {
        QStringList out;
        for (int row = 0; row < dialog.StringGrid1->rowCount(); ++row)
            out << dialog.StringGrid1->item(row, column)->text();
        return out;
    }
    // Answers the next modal dialog: `act` runs on it once it is shown.
    template <typename F> void whenModal(F act)
    {
        QTimer::singleShot(0, this, [act] {
            QWidget* modal = nullptr;
            for (int i = 0; i < 200 && !(modal = QApplication::activeModalWidget()); ++i)
                QTest::qWait(5);
            QVERIFY(modal);
            act(modal);
        });
    }

private slots:
    void init()
    {
        library = std::make_unique<TestLibrary>();
        messages.shown.clear();
        const QByteArray book = booktest::locationText(2);
        library->addBook("外研社", "一年级上册", book, {});
        library->addBook("外研社", "一年级下册", book, {});
        library->addBook("人教版", "三年级", book, {});
        library->addBook("人教版", "public 读本", book, {});
        QDir().mkpath(library->folderOf("空", "无书"));
    }

    void controlsStandWhereAndAsTheyShould()
    {
        TfrmSelectBook dialog(library->paths, messages);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("选书"));
        QCOMPARE(dialog.size(), QSize(512, 390));
        QCOMPARE(dialog.palette().color(QPalette::Window), QColor(Qt::white));
        QCOMPARE(dialog.Panel1->geometry(), QRect(0, 0, 512, 47));
        QCOMPARE(dialog.Label2->pos(), QPoint(16, 8));
        QCOMPARE(dialog.Label2->text(), QStringLiteral("Zarelo英语学习软件"));
        QCOMPARE(dialog.Label2->font().pixelSize(), 24);
        QCOMPARE(dialog.Label2->palette().color(QPalette::WindowText), QColor(Qt::yellow));
        QCOMPARE(dialog.Label1->pos(), QPoint(34, 56));
        QCOMPARE(dialog.Label1->text(), QStringLiteral("请选书："));
        QCOMPARE(dialog.Label1->font().pixelSize(), 21);
        QCOMPARE(dialog.CmbPublic->pos(), QPoint(27, 88));
        QCOMPARE(dialog.CmbPublic->width(), 459);
        QCOMPARE(dialog.CmbPublic->font().pixelSize(), 15);
        const QColor list(0xed, 0xf3, 0xee); // stored colour 15660013
        QCOMPARE(dialog.CmbPublic->palette().color(QPalette::Base), list);
        QCOMPARE(dialog.StringGrid1->geometry(), QRect(27, 120, 459, 185));
        QCOMPARE(dialog.StringGrid1->palette().color(QPalette::Base), list);
        QCOMPARE(dialog.StringGrid1->font().pixelSize(), 16);
        QCOMPARE(dialog.StringGrid1->columnCount(), 2);
        QCOMPARE(dialog.StringGrid1->columnWidth(0), 263);
        QCOMPARE(dialog.StringGrid1->columnWidth(1), 200);
        QCOMPARE(dialog.StringGrid1->horizontalHeaderItem(0)->text(), QStringLiteral("书名"));
        QCOMPARE(dialog.StringGrid1->horizontalHeaderItem(1)->text(), QStringLiteral("出版社"));
        QCOMPARE(dialog.StringGrid1->selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(dialog.StringGrid1->horizontalHeader()->sectionsMovable());
        QCOMPARE(dialog.SpeedButton2->geometry(), QRect(277, 324, 94, 34));
        QCOMPARE(dialog.SpeedButton2->text(), QStringLiteral("进入"));
        QVERIFY(dialog.SpeedButton2->autoRaise());
        QCOMPARE(dialog.SpeedButton3->geometry(), QRect(386, 324, 89, 34));
        QCOMPARE(dialog.SpeedButton3->text(), QStringLiteral("退出"));
        for (const char* name : {"Panel1", "Label2", "Label1", "CmbPublic", "StringGrid1",
                                 "SpeedButton2", "SpeedButton3"})
            QVERIFY2(dialog.findChild<QWidget*>(name), name);
    }

    void scanFillsPublishersAndNothingIsPreselectedWithoutPublicname()
    {
        TfrmSelectBook dialog(library->paths, messages);
        QCOMPARE(dialog.CmbPublic->count(), 2);
        QCOMPARE(dialog.CmbPublic->itemText(0), QStringLiteral("人教版"));
        QCOMPARE(dialog.CmbPublic->itemText(1), QStringLiteral("外研社"));
        QCOMPARE(dialog.CmbPublic->currentIndex(), -1);
        QCOMPARE(dialog.StringGrid1->rowCount(), 0);
        QCOMPARE(dialog.StringGrid1->horizontalHeaderItem(0)->text(), QStringLiteral("书名"));
    }

    void preselection_data()
    {
        QTest::addColumn<QString>("publicname");
        QTest::addColumn<int>("index");
        QTest::newRow("stored") << QStringLiteral("外研社") << 1;
        QTest::newRow("empty: first") << QString() << 0;
        QTest::newRow("unknown: none") << QStringLiteral("旧出版社") << -1;
    }
    void preselection()
    {
        QFETCH(QString, publicname);
        QFETCH(int, index);
        setPublicname(publicname);
        TfrmSelectBook dialog(library->paths, messages);
        QCOMPARE(dialog.CmbPublic->currentIndex(), index);
        QCOMPARE(dialog.StringGrid1->rowCount(), index < 0 ? 0 : 2);
    }

    void publisherChangeRefillsTheGrid()
    {
        setPublicname("外研社");
        TfrmSelectBook dialog(library->paths, messages);
        QCOMPARE(gridColumn(dialog, 0), QStringList({"一年级上册", "一年级下册"}));
        QCOMPARE(gridColumn(dialog, 1), QStringList({"外研社", "外研社"}));
        dialog.CmbPublic->setCurrentIndex(0);
        emit dialog.CmbPublic->activated(0);
        // A book folder named "public..." is an ordinary book.
        QCOMPARE(gridColumn(dialog, 0), QStringList({"public 读本", "三年级"}));
        QCOMPARE(gridColumn(dialog, 1), QStringList({"人教版", "人教版"}));
        QCOMPARE(dialog.StringGrid1->currentRow(), 0);
    }

    void startReadingWithoutLocationStaysOpen()
    {
        setPublicname("人教版");
        TfrmSelectBook dialog(library->paths, messages);
        QFile::remove(library->folderOf("人教版", "public 读本") + "/location.dat");
        dialog.StartReading();
        QCOMPARE(messages.shown.size(), 1);
        QCOMPARE(messages.shown[0].text, QStringLiteral("未安装本册书的资料文件！       "));
        QCOMPARE(messages.shown[0].caption, QStringLiteral("提示"));
        QCOMPARE(messages.shown[0].owner, &dialog);
        QVERIFY(dialog.SelectedBook.isEmpty());
        QVERIFY(dialog.SelectedPublisher.isEmpty());
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
        QCOMPARE(SettingsKey(library->paths.SettingsPath).readString("publicname"), "人教版");
    }

    void enterAndDoubleClickAcceptAndRemember()
    {
        for (const bool doubleClick : {false, true}) {
            setPublicname("外研社");
            TfrmSelectBook dialog(library->paths, messages);
            dialog.show();
            dialog.StringGrid1->setCurrentCell(1, 1);
            QCOMPARE(dialog.StringGrid1->currentColumn(), 0);
            if (doubleClick) {
                const QRect cell =
                    dialog.StringGrid1->visualItemRect(dialog.StringGrid1->item(1, 0));
                // A double-click is a press and release, then the second press.
                QTest::mousePress(dialog.StringGrid1->viewport(), Qt::LeftButton, {},
                                  cell.center());
                QTest::mouseRelease(dialog.StringGrid1->viewport(), Qt::LeftButton, {},
                                    cell.center());
                QTest::mouseDClick(dialog.StringGrid1->viewport(), Qt::LeftButton, {},
                                   cell.center());
            } else {
                QTest::mouseClick(dialog.SpeedButton2, Qt::LeftButton);
            }
            QVERIFY2(dialog.result() == QDialog::Accepted, doubleClick ? "double-click" : "进入");
            QCOMPARE(dialog.SelectedBook, QStringLiteral("一年级下册"));
            QCOMPARE(dialog.SelectedPublisher, QStringLiteral("外研社"));
            SettingsKey key(library->paths.SettingsPath);
            QCOMPARE(key.readString("bookname"), QStringLiteral("一年级下册"));
            QCOMPARE(key.readString("publicname"), QStringLiteral("外研社"));
        }
        QVERIFY(messages.shown.isEmpty());
    }

    void startReadingCreatesNoSettingsValue()
    {
        TfrmSelectBook dialog(library->paths, messages);
        dialog.CmbPublic->setCurrentIndex(0);
        dialog.CmbPublicChange();
        dialog.StartReading();
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
        SettingsKey key(library->paths.SettingsPath);
        QVERIFY(!key.valueExists("bookname"));
        QVERIFY(!key.valueExists("publicname"));
    }

    void chooseBookSetsTheBookOrLeavesItOnCancel()
    {
        setPublicname("人教版");
        OpenBook book;
        book.CurrentBook = "old";
        book.CurrentPublisher = "oldp";
        book.CurrentPage = 9;

        whenModal([](QWidget* modal) {
            QTest::mouseClick(modal->findChild<QToolButton*>("SpeedButton3"), Qt::LeftButton);
        });
        QVERIFY(!ChooseBook(library->paths, book, messages));
        QCOMPARE(book.CurrentBook, QStringLiteral("old"));
        QCOMPARE(book.CurrentPublisher, QStringLiteral("oldp"));
        QCOMPARE(book.CurrentPage, 9);

        whenModal([](QWidget* modal) { modal->close(); });
        QVERIFY(!ChooseBook(library->paths, book, messages));
        QCOMPARE(book.CurrentBook, QStringLiteral("old"));

        whenModal([](QWidget* modal) {
            auto* grid = modal->findChild<QTableWidget*>("StringGrid1");
            grid->setCurrentCell(1, 0);
            QTest::mouseClick(modal->findChild<QToolButton*>("SpeedButton2"), Qt::LeftButton);
        });
        QVERIFY(ChooseBook(library->paths, book, messages));
        QCOMPARE(book.CurrentBook, QStringLiteral("三年级"));
        QCOMPARE(book.CurrentPublisher, QStringLiteral("人教版"));
        QCOMPARE(book.CurrentPage, 1);
    }

    void focusedRowShowsTheCheckMark()
    {
        setPublicname("外研社");
        TfrmSelectBook dialog(library->paths, messages);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        dialog.activateWindow();
        dialog.StringGrid1->setFocus();
        QTRY_VERIFY(dialog.StringGrid1->hasFocus());
        const QRect cell = dialog.StringGrid1->visualItemRect(dialog.StringGrid1->item(0, 0));
        auto whitePixels = [&] {
            const QImage image = dialog.StringGrid1->viewport()->grab(cell).toImage();
            int white = 0;
            for (int y = 0; y < image.height(); ++y)
                for (int x = 0; x < image.width(); ++x)
                    white += image.pixelColor(x, y) == Qt::white;
            return white;
        };
        const int focused = whitePixels();
        // ZARELO_SCREENSHOTS=<folder> keeps a picture of the dialog to look at.
        if (const QString folder = qEnvironmentVariable("ZARELO_SCREENSHOTS"); !folder.isEmpty())
            dialog.grab().save(folder + "/SelectBook.png");
        dialog.CmbPublic->setFocus();
        QTRY_VERIFY(!dialog.StringGrid1->hasFocus());
        const int unfocused = whitePixels();
        QVERIFY2(focused > unfocused + 20,
                 qPrintable(QString("focused %1 unfocused %2").arg(focused).arg(unfocused)));
    }

    void messageBoxCarriesTextCaptionAndOwner()
    {
        QWidget owner;
        owner.show();
        MessageBoxes boxes;
        QString text, caption;
        QWidget* parent = nullptr;
        whenModal([&](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            QVERIFY(box);
            text = box->text();
            caption = box->windowTitle();
            parent = box->parentWidget();
            QCOMPARE(box->standardButtons(), QMessageBox::Ok);
            box->button(QMessageBox::Ok)->click();
        });
        boxes.showMessage(QStringLiteral("未安装本册书的资料文件！       "), QStringLiteral("提示"),
                          &owner);
        QCOMPARE(text, QStringLiteral("未安装本册书的资料文件！       "));
        QCOMPARE(caption, QStringLiteral("提示"));
        QCOMPARE(parent, &owner);
    }

    void unitTreeHoldsCaptionsAndRecords()
    {
        TextColumn lines;
        lines.append(toGbk(QStringLiteral("Unit 1;我的学校;;0:0:0;;0:0:0;1;4")));
        lines.append("Lesson 1;Hello;;0:0:0;;0:0:0;1;2");
        lines.append("Module 1;x;;0:0:0;;0:0:0;1;2");
        lines.append("Lesson 2;Bye;;0:0:0;;0:0:0;3;4");
        QTreeWidget tree;
        new QTreeWidgetItem(&tree, QStringList("old node"));
        BuildUnitTree(&tree, lines);
        QCOMPARE(tree.topLevelItemCount(), 1);
        QTreeWidgetItem* unit = tree.topLevelItem(0);
        QCOMPARE(unit->text(0), QStringLiteral("Unit 1 我的学校"));
        QCOMPARE(unit->childCount(), 2);
        QVERIFY(!unit->isExpanded());
        QTreeWidgetItem* lesson = unit->child(1);
        QCOMPARE(lesson->text(0), QStringLiteral("Lesson 2 Bye"));
        const UnitNodeData data = UnitNodeDataOf(lesson);
        QCOMPARE(data.LineIndex, QStringLiteral("3"));
        QCOMPARE(data.Name, QByteArray("Lesson 2"));
        QCOMPARE(data.Title, QByteArray("Bye"));
        QCOMPARE(UnitNodeDataOf(unit).Title, toGbk(QStringLiteral("我的学校")));
        QCOMPARE(lesson->data(0, ImageIndexRole).toInt(), 4);
        QVERIFY(tree.selectedItems().isEmpty());
        BuildUnitTree(&tree, TextColumn());
        QCOMPARE(tree.topLevelItemCount(), 0);
    }
};

QTEST_MAIN(SelectBookTest)
#include "SelectBookTest.moc"
