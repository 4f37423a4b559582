#pragma once

#include <QDoubleSpinBox>

// A spin box that reports finished edits only, with their value and their delta; a
// receiver of the delta may refuse the edit, which puts the old value back.
class CustomDoubleSpinBox : public QDoubleSpinBox
{
    Q_OBJECT
public:
    explicit CustomDoubleSpinBox(QWidget* parent = nullptr);

    // Sets the value as the user would, announcing it but asking no one.
    void setValueWithSignals(double v);
    void stepBy(int steps) override;

Q_SIGNALS:
    void editingFinishedWithValue(double value);
    // Sent twice per accepted edit: first with `ok` to ask for consent, then with a null
    // pointer to announce that the edit stands.
    void editingFinishedWithDelta(double delta, bool* ok);

public Q_SLOTS:
    void setValueSilently(double value);
    void onEditingFinished();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void keepSelectionOnNumber();

    double lastValue = 0.0; // the value shown before the current edit
    bool forwardingDoubleClick = false;
};
