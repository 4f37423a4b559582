#include "customdoublespinbox.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

CustomDoubleSpinBox::CustomDoubleSpinBox(QWidget* parent) : QDoubleSpinBox(parent)
{
    lastValue = value();
    connect(this, &QAbstractSpinBox::editingFinished, this,
            &CustomDoubleSpinBox::onEditingFinished);
    lineEdit()->installEventFilter(this);
}

// A value set from elsewhere (the device, a file, a grouped strip, the fader beside the
// box) is where the user's next edit starts from, even while the box has the focus.
void CustomDoubleSpinBox::setValueWithSignals(double v)
{
    setValue(v);
    lastValue = value();
    Q_EMIT editingFinishedWithValue(value());
}

void CustomDoubleSpinBox::setValueSilently(double value)
{
    const bool wasBlocked = blockSignals(true);
    setValue(value);
    blockSignals(wasBlocked);
    lastValue = this->value();
}

void CustomDoubleSpinBox::onEditingFinished()
{
    const double delta = value() - lastValue;
    bool ok = true;
    Q_EMIT editingFinishedWithDelta(delta, &ok);
    if (ok) {
        Q_EMIT editingFinishedWithValue(value());
        Q_EMIT editingFinishedWithDelta(delta, nullptr);
        lastValue = value();
    } else {
        setValueSilently(lastValue);
    }
}

// Each step is an edit of its own, so its delta is exactly the step.
void CustomDoubleSpinBox::stepBy(int steps)
{
    lastValue = value();
    QDoubleSpinBox::stepBy(steps);
    Q_EMIT editingFinished();
}

// Typing with the cursor behind the suffix would go nowhere; start at the number. A selection
// stays: what is typed replaces it.
void CustomDoubleSpinBox::keyPressEvent(QKeyEvent* event)
{
    QLineEdit* edit = lineEdit();
    if (!suffix().isEmpty() && !edit->hasSelectedText() &&
        edit->cursorPosition() == edit->text().size())
        edit->setCursorPosition(0);
    QDoubleSpinBox::keyPressEvent(event);
}

// A double or triple click picks the whole number, and a mouse selection leaves the suffix
// out, so that typing over it replaces the number and keeps the unit.
bool CustomDoubleSpinBox::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == lineEdit() && !forwardingDoubleClick) {
        if (event->type() == QEvent::MouseButtonDblClick &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
            // The editor sees the double click first, so that it counts a third click as a
            // triple click; its word selection would take only part of "-15.0".
            forwardingDoubleClick = true;
            QCoreApplication::sendEvent(watched, event);
            forwardingDoubleClick = false;
            selectAll(); // the spin box's: the number without prefix and suffix
            return true;
        }
        if (event->type() == QEvent::MouseButtonRelease)
            keepSelectionOnNumber(); // a triple click or a drag may have taken the suffix
    }
    return QDoubleSpinBox::eventFilter(watched, event);
}

void CustomDoubleSpinBox::keepSelectionOnNumber()
{
    QLineEdit* edit = lineEdit();
    const QString text = edit->text();
    // A special value text has no number to keep to.
    if (!edit->hasSelectedText() || !text.startsWith(prefix()) || !text.endsWith(suffix()))
        return;
    const int first = prefix().size(), last = text.size() - suffix().size();
    const int start = edit->selectionStart(), end = edit->selectionEnd();
    const int from = qBound(first, start, last), to = qBound(first, end, last);
    if (from == start && to == end)
        return;
    // Keep the direction, so a later shift-click extends from the same end.
    if (edit->cursorPosition() == start)
        edit->setSelection(to, from - to);
    else
        edit->setSelection(from, to - from);
}

void CustomDoubleSpinBox::focusInEvent(QFocusEvent* event)
{
    lastValue = value();
    QDoubleSpinBox::focusInEvent(event);
}
