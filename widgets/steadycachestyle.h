#pragma once

#include <QHash>
#include <QIcon>
#include <QList>
#include <QPalette>
#include <QProxyStyle>

// The program's style: a base style (Fusion) made to draw from the pixmaps it cached before
// instead of adding new ones. Icons and Fusion's controls keep their drawings in Qt's pixmap
// cache under keys taken from the identity of the icon or palette drawn with, and two things
// handed out new identities for the same look, so the cache grew until it held 10 MB:
// - standardIcon() built a new icon on each call (file dialogs' buttons and file icons);
// - the stylesheet style gives each control it paints a fresh copy of its palette.
// Here each standard icon is made once, and a palette with the same colours as one seen
// before is swapped for that one before the base style draws.
class SteadyCacheStyle : public QProxyStyle
{
    Q_OBJECT
public:
    explicit SteadyCacheStyle(const QString& baseStyle);

    QIcon standardIcon(StandardPixmap standardIcon, const QStyleOption* option = nullptr,
                       const QWidget* widget = nullptr) const override;
    void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                       const QWidget* widget = nullptr) const override;
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget = nullptr) const override;
    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget = nullptr) const override;

private:
    void useKnownPalette(const QStyleOption* option) const;

    mutable QHash<int, QIcon> icons;  // by standard pixmap and layout direction
    mutable QList<QPalette> palettes; // distinct ones seen, a handful in practice
};
