#pragma once
// A panel as the windows of this program use it: a plain rectangle with an
// optional fill colour (a stored 0x00BBGGRR value), an outer and an inner
// bevel of one pixel each, and a caption drawn in its middle.

#include <QWidget>
#include <cstdint>
#include <optional>

namespace zarelo {

class Panel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(QString caption READ caption WRITE setCaption)
public:
    enum class Bevel { None, Raised, Lowered };

    explicit Panel(QWidget* parent = nullptr);

    const QString& caption() const { return caption_; }
    void setCaption(const QString& caption);
    // The stored colour value the panel is filled with (system colours
    // included); unset: the palette's window colour.
    std::optional<int32_t> colourValue() const { return colour_; }
    void setColourValue(std::optional<int32_t> colour);
    // The colour actually painted.
    QColor fillColour() const;
    void setBevels(Bevel outer, Bevel inner);
    Bevel bevelOuter() const { return outer_; }
    Bevel bevelInner() const { return inner_; }
    // The inside of the bevels, in the panel's coordinates: where a child
    // aligned to the client area goes.
    QRect clientRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString caption_;
    std::optional<int32_t> colour_;
    Bevel outer_ = Bevel::Raised;
    Bevel inner_ = Bevel::None;
};

} // namespace zarelo
