#include "sharediconstyle.h"

#include <QGuiApplication>

SharedIconStyle::SharedIconStyle(const QString& baseStyle) : QProxyStyle(baseStyle) {}

QIcon SharedIconStyle::standardIcon(StandardPixmap standardIcon, const QStyleOption* option,
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
