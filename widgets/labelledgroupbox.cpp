#include "labelledgroupbox.h"

#include <QEvent>

namespace {

QString titled(const QString& text)
{
    return QStringLiteral("  %1  ").arg(text);
}

} // namespace

void LabelledGroupBox::setLabelTitle(const QString& newLabel)
{
    label = newLabel;
    labelled = true;
    fitTitle();
}

// The title's padding and font come with the theme's sheet: measure again when it changes.
bool LabelledGroupBox::event(QEvent* event)
{
    const bool handled = QGroupBox::event(event);
    switch (event->type()) {
    case QEvent::Polish:
    case QEvent::StyleChange:
    case QEvent::FontChange:
        if (labelled)
            fitTitle();
        break;
    default:
        break;
    }
    return handled;
}

void LabelledGroupBox::fitTitle()
{
    setTitle(titled(label));
    setToolTip(QString());
    // The contents' width, which the title must not exceed; a title's own width only
    // ever enters the minimum size.
    const int room = sizeHint().width();
    int excess = minimumSizeHint().width() - room;
    if (room <= 0 || excess <= 0)
        return;
    const QFontMetrics metrics = fontMetrics();
    int width = metrics.horizontalAdvance(label);
    // The ellipsis takes room of its own: shorten until the title fits.
    do {
        width = qMax(0, width - qMax(excess, 1));
        setTitle(titled(metrics.elidedText(label, Qt::ElideRight, width)));
        excess = minimumSizeHint().width() - room;
    } while (excess > 0 && width > 0);
    setToolTip(label);
}
