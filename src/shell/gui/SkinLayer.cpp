#include "shell/gui/SkinLayer.h"

#include <QApplication>
#include <QFile>
#include <QStyle>
#include <QWidget>

namespace zarelo {

namespace {

// Skins are small text files; anything bigger is not a skin.
constexpr qint64 MaxSkinBytes = 4 * 1024 * 1024;

QColor Tinted(const QColor& c, Rgb tint, double strength)
{
    const Rgb out = Colorize({c.red(), c.green(), c.blue()}, tint, strength);
    return QColor(out.r, out.g, out.b, c.alpha());
}

} // namespace

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
