#include "customdoublespinbox.h"

#include <QKeyEvent>
#include <QLineEdit>

CustomDoubleSpinBox::CustomDoubleSpinBox(QWidget* parent) : QDoubleSpinBox(parent)
{
    lastValue = value();
    connect(this, &QAbstractSpinBox::editingFinished, this,
            &CustomDoubleSpinBox::onEditingFinished);
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

// Typing with the cursor behind the suffix would go nowhere; start at the number.
void CustomDoubleSpinBox::keyPressEvent(QKeyEvent* event)
{
    QLineEdit* edit = lineEdit();
    if (!suffix().isEmpty() && edit->cursorPosition() == edit->text().size())
        edit->setCursorPosition(0);
    QDoubleSpinBox::keyPressEvent(event);
}

void CustomDoubleSpinBox::focusInEvent(QFocusEvent* event)
{
    lastValue = value();
    QDoubleSpinBox::focusInEvent(event);
}
