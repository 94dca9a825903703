#include "shell/gui/SkinLayer.h"

#include <QApplication>
#include <QFile>
#include <QStyle>
#include <QWidget>

namespace zarelo {

namespace {

// Skins are small text files; anything bigger is not a skin.
constexpr qint64 MaxSkinBytes = 4 * 1024 * 1024;

std::optional<QPalette::ColorRole> SystemRole(int index)
{
    switch (index) {
    case 1:  // desktop
    case 4:  // menu
    case 15: // button face
    case 25: // 3D light
        return QPalette::Button;
    case 5: // window
        return QPalette::Base;
    case 6:  // window frame
    case 16: // button shadow
        return QPalette::Dark;
    case 7: // menu text
    case 8: // window text
        return QPalette::Text;
    case 9:  // caption text
    case 18: // button text
        return QPalette::ButtonText;
    case 13: // highlight
        return QPalette::Highlight;
    case 14: // highlight text
        return QPalette::HighlightedText;
    case 17: // grey text
        return QPalette::PlaceholderText;
    case 20: // button highlight
        return QPalette::Light;
    case 21: // dark shadow
        return QPalette::Shadow;
    case 23: // tooltip text
        return QPalette::ToolTipText;
    case 24: // tooltip background
        return QPalette::ToolTipBase;
    default:
        return std::nullopt;
    }
}

QColor Tinted(const QColor& c, Rgb tint, double strength)
{
    const Rgb out = Colorize({c.red(), c.green(), c.blue()}, tint, strength);
    return QColor(out.r, out.g, out.b, c.alpha());
}

} // namespace

QColor ColourOfValue(int32_t stored, const QPalette& system)
{
    if (const auto index = SystemColourIndex(stored)) {
        const auto role = SystemRole(*index);
        return role ? system.color(QPalette::Active, *role) : QColor();
    }
    const Rgb c = RgbFromStored(stored);
    return QColor(c.r, c.g, c.b);
}

QColor StoredColour(int32_t stored)
{
    const Rgb c = RgbFromStored(stored);
    return QColor(c.r, c.g, c.b);
}

SkinLayer::SkinLayer() : system_(QApplication::palette()) {}

bool SkinLayer::sppLoadSkin(const QString& path, int /*flags*/)
{
    QFile file(path);
    QString sheet;
    bool ok = file.open(QIODevice::ReadOnly) && file.size() <= MaxSkinBytes;
    if (ok) {
        const QByteArray bytes = file.readAll();
        ok = file.error() == QFileDevice::NoError;
        if (ok)
            sheet = QString::fromUtf8(bytes);
    }
    sheet_ = ok ? sheet : QString();
    apply();
    return ok;
}

bool SkinLayer::sppColorize(int32_t colour, double strength, int /*flags*/)
{
    if (colour == -1) {
        tint_.reset();
        apply();
        return true;
    }
    const QColor c = ColourOfValue(colour, system_);
    if (!c.isValid())
        return false;
    tint_ = Rgb{c.red(), c.green(), c.blue()};
    strength_ = strength;
    apply();
    return true;
}

void SkinLayer::sppSetWindowResID(QWidget* window, int resourceId)
{
    if (!window)
        return;
    window->setProperty("skinResID", resourceId);
    window->style()->unpolish(window);
    window->style()->polish(window);
}

void SkinLayer::apply()
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app)
        return;
    QPalette palette = system_;
    if (tint_) {
        for (int g = 0; g < QPalette::NColorGroups; ++g) {
            const auto group = static_cast<QPalette::ColorGroup>(g);
            for (int r = 0; r < QPalette::NColorRoles; ++r) {
                const auto role = static_cast<QPalette::ColorRole>(r);
                if (role == QPalette::NoRole)
                    continue;
                palette.setColor(group, role,
                                 Tinted(system_.color(group, role), *tint_, strength_));
            }
        }
    }
    QApplication::setPalette(palette);
    app->setStyleSheet(tint_ ? TintStyleSheet(sheet_, *tint_, strength_) : sheet_);
}

} // namespace zarelo
