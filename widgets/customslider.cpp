#include "customslider.h"

#include <QStyle>
#include <QStyleOptionSlider>

CustomSlider::CustomSlider(QWidget* parent) : QSlider(parent)
{
    connect(this, &QSlider::valueChanged, this, &CustomSlider::sliderValueChanged);
}

void CustomSlider::updateInnerRects()
{
    QStyleOptionSlider option;
    initStyleOption(&option);
    option.subControls = QStyle::SC_SliderGroove | QStyle::SC_SliderHandle;
    grooveRect = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderGroove, this);
    handleRect = style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

void CustomSlider::setValueSilently(int value)
{
    const bool wasBlocked = blockSignals(true);
    setValue(value);
    blockSignals(wasBlocked);
}

void CustomSlider::sliderValueChanged(int value)
{
    Q_EMIT editingFinishedWithValue(double(value));
}

#if QT_VERSION >= QT_VERSION_CHECK(6, 0, 0)
void CustomSlider::enterEvent(QEnterEvent* event)
#else
void CustomSlider::enterEvent(QEvent* event)
#endif
{
    QSlider::enterEvent(event);
    Q_EMIT entered();
}

void CustomSlider::resizeEvent(QResizeEvent* event)
{
    QSlider::resizeEvent(event);
    updateInnerRects();
}

void CustomSlider::paintEvent(QPaintEvent* event)
{
    QSlider::paintEvent(event);
    updateInnerRects();
}
