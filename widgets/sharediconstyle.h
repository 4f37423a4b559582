#pragma once

#include <QHash>
#include <QIcon>
#include <QProxyStyle>

// A style that hands out one icon per standard pixmap for the program's whole run.
// Qt's own styles build a new icon on every standardIcon() call, and the pixmap cache
// keeps each drawing of an icon under that icon's own key until the cache is full (10 MB),
// so every file dialog or message box that opened left its icons' drawings behind.
class SharedIconStyle : public QProxyStyle
{
    Q_OBJECT
public:
    explicit SharedIconStyle(const QString& baseStyle);

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;

private:
    mutable QHash<int, QIcon> icons; // by standard pixmap and layout direction
};
