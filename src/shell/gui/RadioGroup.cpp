#include "shell/gui/RadioGroup.h"

#include <QButtonGroup>
#include <QRadioButton>

namespace zarelo {

RadioGroup::RadioGroup(const QString& title, const QStringList& items, QWidget* parent)
    : QGroupBox(title, parent), group_(new QButtonGroup(this))
{
    group_->setExclusive(true);
    for (int i = 0; i < items.size(); ++i) {
        auto* b = new QRadioButton(items[i], this);
        group_->addButton(b, i);
        buttons_ << b;
    }
}

int RadioGroup::itemIndex() const
{
    return group_->checkedId();
}

void RadioGroup::setItemIndex(int index)
{
    if (index >= 0 && index < buttons_.size()) {
        buttons_[index]->setChecked(true);
        return;
    }
    group_->setExclusive(false);
    for (auto* b : buttons_)
        b->setChecked(false);
    group_->setExclusive(true);
}

} // namespace zarelo
