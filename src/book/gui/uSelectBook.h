#pragma once
// The book selection dialog: publishers of the library in a drop-down list,
// the chosen publisher's books in a grid; "进入" accepts the selected book and
// remembers it in the settings key, "退出" leaves without a choice.

#include "base/uPublicVarDefine.h"
#include "book/BookContent.h"
#include "book/BookLibrary.h"

#include <QDialog>

class QComboBox;
class QFrame;
class QLabel;
class QModelIndex;
class QPainter;
class QRect;
class QTableWidget;
class QToolButton;

namespace zarelo {

class UserMessages;

class TfrmSelectBook : public QDialog {
    Q_OBJECT
public:
    // Scans the library of paths.ProgramFolder and preselects the publisher
    // stored in the settings key at paths.SettingsPath. Messages go through
    // `messages`, owned by this dialog.
    TfrmSelectBook(const ProgramPaths& paths, UserMessages& messages, QWidget* parent = nullptr);

    // Set only by a StartReading that accepted a book; empty otherwise.
    QString SelectedBook;
    QString SelectedPublisher;

    // The scan of the library made by FormCreate.
    const LibraryScan& Library() const { return library_; }

    QFrame* Panel1;
    QLabel* Label2;
    QLabel* Label1;
    QComboBox* CmbPublic;
    QTableWidget* StringGrid1;
    QToolButton* SpeedButton2;
    QToolButton* SpeedButton3;

    void FormCreate();
    // Selects every publisher item whose text equals `name` exactly (the last
    // stays selected); no match leaves the selection as it was.
    void SetCurrentPublic(const QString& name);
    // Refills the grid with the books of the publisher shown in CmbPublic.
    void CmbPublicChange();
    // Draws "√" after the book name of the focused row (after the grid's own
    // drawing of the cell).
    void StringGrid1DrawCell(QPainter* painter, const QRect& rect, const QModelIndex& index);
    // Accepts the selected row when its book has "location.dat": remembers it
    // and closes; otherwise says so and stays open with nothing selected.
    void StartReading();
    void SpeedButton2Click() { StartReading(); }
    void StringGrid1DblClick() { StartReading(); }
    void SpeedButton3Click() { reject(); }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildControls();

    ProgramPaths paths_;
    UserMessages& messages_;
    LibraryScan library_;
};

// Runs the selection dialog modally. When a book was chosen sets
// CurrentBook, CurrentPublisher and CurrentPage := 1 of `book` and returns
// true; otherwise changes nothing and returns false. UI thread.
bool ChooseBook(const ProgramPaths& paths, OpenBook& book, UserMessages& messages,
                QWidget* parent = nullptr);

} // namespace zarelo
