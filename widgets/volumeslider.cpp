#include "volumeslider.h"

#include "ui_volumeslider.h"
#include "volumemeter.h"

#include <QPainter>
#include <cmath>

namespace {

const QChar minus(0x2212); // a true minus sign, as wide as the plus

// Smaller than the strip's text, but no smaller than 8 points: read at a glance.
QFont scaleFont(QFont font)
{
    if (font.pointSizeF() > 0)
        font.setPointSizeF(qMax(font.pointSizeF() * 0.6, 8.0));
    return font;
}

// The widest label of the scale.
QRect widestLabelRect(const QFontMetrics& metrics)
{
    return metrics.boundingRect(QString(minus) + QStringLiteral("120"));
}

} // namespace

VolumeSlider::VolumeSlider(QWidget* parent) : QWidget(parent), ui(new Ui::VolumeSlider)
{
    ui->setupUi(this);
    reserveScaleRoom();
    // One step per 0.1 dB of the whole span, on average.
    const double span = VolumeMeter::tToDb(0.0) - VolumeMeter::tToDb(1.0);
    ui->slider->setMaximum(int(std::lround(span / 0.1)));
    moveSliderSilently(sliderValueFor(0.0));
    connect(ui->slider, &CustomSlider::entered, this, &VolumeSlider::onSliderEntered);
}

VolumeSlider::~VolumeSlider() = default;

int VolumeSlider::sliderValueFor(double db) const
{
    const double t = VolumeMeter::dbToT(db);
    return int(std::floor(ui->slider->maximum() * (1.0 - t) + 0.5));
}

void VolumeSlider::moveSliderSilently(int value)
{
    ui->slider->setValueSilently(value);
}

double VolumeSlider::calcDb(int sliderValue) const
{
    const int max = ui->slider->maximum();
    return VolumeMeter::tToDb(double(max - sliderValue) / max);
}

double VolumeSlider::getValue() const
{
    return calcDb(ui->slider->value());
}

bool VolumeSlider::isPossibleValue(double db) const
{
    return db >= VolumeMeter::tToDb(1.0) && db <= VolumeMeter::tToDb(0.0) && db >= -120.0 &&
           db <= 3.0;
}

// The scale is drawn left of the handle; the spacer before the slider keeps the widest
// label inside the widget whatever room the style leaves beside the handle.
void VolumeSlider::reserveScaleRoom()
{
    const QRect br = widestLabelRect(QFontMetrics(scaleFont(font())));
    ui->horizontalSpacer->changeSize(br.width() + qAbs(br.left()) + 5, 20, QSizePolicy::Fixed,
                                     QSizePolicy::Minimum);
    ui->horizontalLayout->invalidate();
}

void VolumeSlider::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        reserveScaleRoom();
}

void VolumeSlider::hideMeter()
{
    ui->meter->hide();
}

// NaN has no place on the fader (the mapping would put it at the top); it is ignored.
void VolumeSlider::setValueSilently(double db)
{
    if (std::isnan(db))
        return;
    moveSliderSilently(sliderValueFor(db));
}

void VolumeSlider::setValueWithSignals(double db)
{
    if (std::isnan(db))
        return;
    moveSliderSilently(sliderValueFor(db));
    Q_EMIT editingFinishedWithValue(getValue());
}

void VolumeSlider::setLevelSilently(double db)
{
    ui->meter->setLevel(db);
}

// The mouse is on the fader: deltas of the coming drag count from here, even if the
// device moved the fader since the last accepted edit.
void VolumeSlider::onSliderEntered()
{
    lastDb = getValue();
}

void VolumeSlider::on_slider_valueChanged(int value)
{
    const double db = calcDb(value);
    bool ok = true;
    Q_EMIT editingFinishedWithDelta(db - lastDb, &ok);
    if (db >= -120.0 && db <= 3.0 && ok) {
        Q_EMIT editingFinishedWithValue(db);
        Q_EMIT editingFinishedWithDelta(db - lastDb, nullptr);
        lastDb = db;
    } else {
        moveSliderSilently(sliderValueFor(lastDb));
    }
}

void VolumeSlider::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(scaleFont(painter.font()));
    const QRect br = widestLabelRect(painter.fontMetrics());

    const CustomSlider* slider = ui->slider;
    const int sx = slider->x();
    const int sy = slider->y();
    const QRect groove = slider->getGrooveRect();
    const QRect handle = slider->getHandleRect();
    const int top = sy + groove.top() + handle.height() / 2;
    const int range = groove.height() - handle.height();
    const int right = sx + handle.left() + br.left() - 5;

    static const int marks[] = {3, 0, -3, -6, -12, -18, -21, -120};
    for (const int mark : marks) {
        QString label;
        if (mark > 0)
            label = QStringLiteral("+%0").arg(mark);
        else if (mark == 0)
            label = QString::number(mark);
        else
            label = QStringLiteral("%0%1").arg(minus).arg(-mark);
        const int y = int(std::lround(VolumeMeter::dbToT(mark) * range + top));
        QRect box(QPoint(0, 0), br.size());
        box.moveRight(right);
        box.moveTop(y - br.top() / 2 + br.top());
        painter.drawText(box, Qt::AlignRight | Qt::AlignVCenter, label);
    }
}
