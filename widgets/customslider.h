#pragma once

#include <QRect>
#include <QSlider>

// A slider that reports every value change as a finished edit, and remembers where the
// style put its groove and handle so that a scale can be drawn beside it.
class CustomSlider : public QSlider
{
    Q_OBJECT
public:
    explicit CustomSlider(QWidget* parent = nullptr);

    void updateInnerRects();
    QRect getGrooveRect() const { return grooveRect; }
    QRect getHandleRect() const { return handleRect; }

Q_SIGNALS:
    void entered();
    void editingFinishedWithValue(double value);

public Q_SLOTS:
    void setValueSilently(int value);
    void sliderValueChanged(int value);

protected:
#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0) // Qt 6 passes the enter position
    void enterEvent(QEnterEvent* event) override;
#else
    void enterEvent(QEvent* event) override;
#endif
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QRect grooveRect;
    QRect handleRect;
};
