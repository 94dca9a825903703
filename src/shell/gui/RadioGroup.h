#pragma once
// A titled group of radio buttons addressed by index, one column each
// across the group.

#include <QGroupBox>
#include <QList>

class QButtonGroup;
class QRadioButton;

namespace zarelo {

class RadioGroup : public QGroupBox {
    Q_OBJECT
public:
    // Buttons are placed by the caller (fixed geometry); `items` gives their
    // texts, in index order.
    RadioGroup(const QString& title, const QStringList& items, QWidget* parent = nullptr);

    int itemIndex() const; // -1 when none is checked
    // -1 or an index past the end checks none.
    void setItemIndex(int index);
    int count() const { return static_cast<int>(buttons_.size()); }
    QRadioButton* button(int index) const { return buttons_.value(index); }

private:
    QButtonGroup* group_;
    QList<QRadioButton*> buttons_;
};

} // namespace zarelo
