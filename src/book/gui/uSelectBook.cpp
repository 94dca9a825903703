#include "book/gui/uSelectBook.h"

#include "base/gui/Controls.h"

#include "base/UserMessages.h"
#include "book/BookFiles.h"
#include "book/Gbk.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolButton>

#include <memory>

namespace zarelo {

namespace {

// Stored colours keep red in the low byte and blue in the high byte.
QColor colorOf(uint32_t bgr)
{
    return QColor(int(bgr & 0xff), int((bgr >> 8) & 0xff), int((bgr >> 16) & 0xff));
}

constexpr uint32_t kListColour = 15660013;
const QColor kDesktopBackground(0x3a, 0x6e, 0xa5);

// Publisher items drawn with a fixed height of 15 px.
class FixedHeightDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QSize(QStyledItemDelegate::sizeHint(option, index).width(), 15);
    }
};

// The grid's own cell drawing, then the dialog's StringGrid1DrawCell.
class BookCellDelegate final : public QStyledItemDelegate {
public:
    BookCellDelegate(TfrmSelectBook* form) : QStyledItemDelegate(form), form_(form) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override
    {
        QStyleOptionViewItem plain = option;
        plain.state &= ~QStyle::State_HasFocus; // no focus frame: the mark shows the focus
        QStyledItemDelegate::paint(painter, plain, index);
        form_->StringGrid1DrawCell(painter, option.rect, index);
    }

private:
    TfrmSelectBook* form_;
};

void placeLabel(QLabel* label, const QString& name, const QString& text, const QFont& font,
                QPoint at)
{
    label->setObjectName(name);
    label->setText(text);
    label->setFont(font);
    label->move(at);
    label->adjustSize();
}

} // namespace

TfrmSelectBook::TfrmSelectBook(const ProgramPaths& paths, UserMessages& messages, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      paths_(paths), messages_(messages)
{
    buildControls();
    FormCreate();
}

void TfrmSelectBook::buildControls()
{
    setObjectName(QStringLiteral("frmSelectBook"));
    setWindowTitle(QStringLiteral("选书"));
    setFixedSize(512, 390);
    setFont(PixelFont(12, false, QStringLiteral("宋体")));
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(0, 0, 512, 47);
    Panel1->setAutoFillBackground(true);
    QPalette desktop = Panel1->palette();
    desktop.setColor(QPalette::Window, kDesktopBackground);
    Panel1->setPalette(desktop);

    Label2 = new QLabel(Panel1);
    placeLabel(Label2, QStringLiteral("Label2"), QStringLiteral("Zarelo英语学习软件"),
               PixelFont(24, false, QStringLiteral("隶书")), QPoint(16, 8));
    QPalette yellow = Label2->palette();
    yellow.setColor(QPalette::WindowText, Qt::yellow);
    Label2->setPalette(yellow);

    Label1 = new QLabel(this);
    placeLabel(Label1, QStringLiteral("Label1"), QStringLiteral("请选书："),
               PixelFont(21, false, QStringLiteral("隶书")), QPoint(34, 56));

    QPalette list = palette();
    for (QPalette::ColorRole role : {QPalette::Base, QPalette::Button, QPalette::Window})
        list.setColor(role, colorOf(kListColour));
    list.setColor(QPalette::Text, Qt::black);
    list.setColor(QPalette::ButtonText, Qt::black);

    CmbPublic = new QComboBox(this);
    CmbPublic->setObjectName(QStringLiteral("CmbPublic"));
    CmbPublic->setEditable(false);
    CmbPublic->setFrame(false); // the flat look
    CmbPublic->setFont(PixelFont(15, false, QStringLiteral("宋体")));
    CmbPublic->setPalette(list);
    CmbPublic->setItemDelegate(new FixedHeightDelegate(CmbPublic));
    CmbPublic->setGeometry(27, 88, 459, 21);
    connect(CmbPublic, &QComboBox::activated, this, [this] { CmbPublicChange(); });

    StringGrid1 = new QTableWidget(0, 2, this);
    StringGrid1->setObjectName(QStringLiteral("StringGrid1"));
    StringGrid1->setGeometry(27, 120, 459, 185);
    StringGrid1->setFont(PixelFont(16, false, QStringLiteral("宋体")));
    StringGrid1->setPalette(list);
    StringGrid1->setFrameShape(QFrame::NoFrame); // the flat look
    StringGrid1->setColumnWidth(0, 263);
    StringGrid1->setColumnWidth(1, 200);
    StringGrid1->verticalHeader()->setVisible(false);
    StringGrid1->verticalHeader()->setDefaultSectionSize(24);
    StringGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    StringGrid1->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    StringGrid1->horizontalHeader()->setSectionsMovable(true);
    StringGrid1->horizontalHeader()->setStretchLastSection(false);
    StringGrid1->horizontalHeader()->setHighlightSections(false);
    StringGrid1->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    StringGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    StringGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    StringGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    StringGrid1->setWordWrap(false);
    StringGrid1->setItemDelegate(new BookCellDelegate(this));
    // With whole-row selection the current column stays the book name.
    connect(StringGrid1, &QTableWidget::currentCellChanged, this, [this](int row, int column) {
        if (row >= 0 && column != 0)
            StringGrid1->setCurrentCell(row, 0);
    });
    connect(StringGrid1, &QTableWidget::cellDoubleClicked, this, [this] { StringGrid1DblClick(); });

    SpeedButton2 = new QToolButton(this);
    SpeedButton2->setObjectName(QStringLiteral("SpeedButton2"));
    SpeedButton2->setText(QStringLiteral("进入"));
    SpeedButton2->setAutoRaise(true);
    SpeedButton2->setFocusPolicy(Qt::NoFocus);
    SpeedButton2->setGeometry(277, 324, 94, 34);
    connect(SpeedButton2, &QToolButton::clicked, this, [this] { SpeedButton2Click(); });

    SpeedButton3 = new QToolButton(this);
    SpeedButton3->setObjectName(QStringLiteral("SpeedButton3"));
    SpeedButton3->setText(QStringLiteral("退出"));
    SpeedButton3->setAutoRaise(true);
    SpeedButton3->setFocusPolicy(Qt::NoFocus);
    SpeedButton3->setGeometry(386, 324, 89, 34);
    connect(SpeedButton3, &QToolButton::clicked, this, [this] { SpeedButton3Click(); });
}

void TfrmSelectBook::FormCreate()
{
    StringGrid1->setHorizontalHeaderLabels({QStringLiteral("书名"), QStringLiteral("出版社")});
    library_ = ScanLibrary(paths_.Libraries());
    CmbPublic->clear();
    for (const QString& publisher : library_.Publishers)
        CmbPublic->addItem(publisher);
    CmbPublic->setCurrentIndex(-1);
    if (const auto preselected = PreselectedPublisher(paths_.SettingsPath, library_))
        SetCurrentPublic(*preselected);
    CmbPublicChange();
}

void TfrmSelectBook::SetCurrentPublic(const QString& name)
{
    for (int i = 0; i < CmbPublic->count(); ++i)
        if (CmbPublic->itemText(i) == name)
            CmbPublic->setCurrentIndex(i);
}

void TfrmSelectBook::CmbPublicChange()
{
    const QString publisher = CmbPublic->currentIndex() < 0 ? QString() : CmbPublic->currentText();
    StringGrid1->clearContents();
    int rows = 0;
    for (size_t i = 0; i < library_.BookNames.size(); ++i)
        if (library_.BookPublishers[i] == publisher)
            ++rows;
    StringGrid1->setRowCount(rows);
    int k = 0;
    for (size_t i = 0; i < library_.BookNames.size(); ++i) {
        if (library_.BookPublishers[i] != publisher)
            continue;
        for (int column : {0, 1}) {
            auto* cell = new QTableWidgetItem(column == 0 ? library_.BookNames[i] : publisher);
            cell->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
            StringGrid1->setItem(k, column, cell);
        }
        ++k;
    }
    if (rows > 0)
        StringGrid1->setCurrentCell(0, 0);
}

void TfrmSelectBook::StringGrid1DrawCell(QPainter* painter, const QRect& rect,
                                         const QModelIndex& index)
{
    const bool focused =
        StringGrid1->hasFocus() && index.column() == 0 && index.row() == StringGrid1->currentRow();
    const QString text = index.data().toString();
    if (!focused || gbkLength(text) <= 1)
        return;
    painter->save();
    painter->setClipRect(rect);
    const QFont font(QStringLiteral("宋体"), 13, QFont::Bold);
    painter->setFont(font);
    const QString marked = text + QStringLiteral("√");
    // Opaque text, as the cell's selection colour behind it: the mark's text
    // replaces the plain name drawn there before.
    const QRect textRect =
        QFontMetrics(font).boundingRect(rect, Qt::AlignLeft | Qt::AlignTop, marked);
    painter->fillRect(textRect, StringGrid1->palette().color(QPalette::Highlight));
    painter->setPen(Qt::white);
    painter->drawText(rect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, marked);
    painter->restore();
}

void TfrmSelectBook::StartReading()
{
    const int row = StringGrid1->currentRow();
    const QTableWidgetItem* book = row >= 0 ? StringGrid1->item(row, 0) : nullptr;
    const QTableWidgetItem* publisher = row >= 0 ? StringGrid1->item(row, 1) : nullptr;
    SelectedBook = book ? book->text() : QString();
    SelectedPublisher = publisher ? publisher->text() : QString();

    const QString location =
        FindBookEntry(FindBookFolder(paths_.Libraries(), SelectedPublisher, SelectedBook),
                      QStringLiteral("location.dat"));
    if (SelectedBook.isEmpty() || SelectedPublisher.isEmpty() || !QFileInfo(location).isFile()) {
        messages_.showMessage(QStringLiteral("未安装本册书的资料文件！       "),
                              QStringLiteral("提示"), this);
        SelectedBook.clear();
        SelectedPublisher.clear();
        return;
    }
    RememberChosenBook(paths_.SettingsPath, SelectedBook, SelectedPublisher);
    accept();
}

void TfrmSelectBook::showEvent(QShowEvent* event)
{
    if (const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    QDialog::showEvent(event);
}

bool ChooseBook(const ProgramPaths& paths, OpenBook& book, UserMessages& messages, QWidget* parent)
{
    QString selectedBook, selectedPublisher;
    {
        auto dialog = std::make_unique<TfrmSelectBook>(paths, messages, parent);
        dialog->exec();
        selectedBook = dialog->SelectedBook;
        selectedPublisher = dialog->SelectedPublisher;
    }
    if (selectedBook.isEmpty() || selectedPublisher.isEmpty())
        return false;
    book.CurrentBook = selectedBook;
    book.CurrentPublisher = selectedPublisher;
    book.CurrentPage = 1;
    return true;
}

} // namespace zarelo
