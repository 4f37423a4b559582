#include "steadycachestyle.h"

#include <QGuiApplication>
#include <QStyleOption>

namespace {

// Enough for every colour set the themes use; past it new palettes are drawn as they come.
const int maxKnownPalettes = 32;

} // namespace

SteadyCacheStyle::SteadyCacheStyle(const QString& baseStyle) : QProxyStyle(baseStyle) {}

QIcon SteadyCacheStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
                                     const QWidget* widget) const
{
    // An option can change the drawing (its direction, its state); those icons are
    // asked for rarely and stay uncached.
    if (option)
        return QProxyStyle::standardIcon(standardIcon, option, widget);
    // Arrows point the other way in right-to-left layouts.
    const int key = int(standardIcon) * 2 + (QGuiApplication::isRightToLeft() ? 1 : 0);
    auto found = icons.constFind(key);
    if (found == icons.constEnd())
        found = icons.insert(key, QProxyStyle::standardIcon(standardIcon, option, widget));
    return *found;
}

void SteadyCacheStyle::useKnownPalette(const QStyleOption* option) const
{
    if (!option)
        return;
    for (const QPalette& known : qAsConst(palettes)) {
        if (known.cacheKey() == option->palette.cacheKey())
            return;
        if (known == option->palette) {
            // The same colours, so the drawing does not change. Options are the caller's
            // own copies made for this call (const only by signature).
            QPalette& palette = const_cast<QStyleOption*>(option)->palette;
            const QPalette::ColorGroup group = palette.currentColorGroup();
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0) // Qt 6 renamed the resolve mask's accessors
            const QPalette::ResolveMask resolved = palette.resolveMask();
#else
            const uint resolved = palette.resolve();
#endif
            palette = known;
            palette.setCurrentColorGroup(group);
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
            palette.setResolveMask(resolved);
#else
            palette.resolve(resolved);
#endif
            return;
        }
    }
    if (palettes.size() < maxKnownPalettes)
        palettes.append(option->palette);
}

void SteadyCacheStyle::drawPrimitive(PrimitiveElement element, const QStyleOption* option,
                                     QPainter* painter, const QWidget* widget) const
{
    useKnownPalette(option);
    QProxyStyle::drawPrimitive(element, option, painter, widget);
}

void SteadyCacheStyle::drawControl(ControlElement element, const QStyleOption* option,
                                   QPainter* painter, const QWidget* widget) const
{
    useKnownPalette(option);
    QProxyStyle::drawControl(element, option, painter, widget);
}

void SteadyCacheStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                          QPainter* painter, const QWidget* widget) const
{
    useKnownPalette(option);
    QProxyStyle::drawComplexControl(control, option, painter, widget);
}
