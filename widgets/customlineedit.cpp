#include "customlineedit.h"

CustomLineEdit::CustomLineEdit(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::editingFinished, this, &CustomLineEdit::onEditingFinished);
}

void CustomLineEdit::setTextAndEmitValue(const QString& text)
{
    const bool wasBlocked = blockSignals(true);
    setText(text);
    blockSignals(wasBlocked);
    Q_EMIT editingFinishedWithValue(text);
}

void CustomLineEdit::onEditingFinished()
{
    Q_EMIT editingFinishedWithValue(text());
}
