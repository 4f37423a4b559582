#include "volumeslider.h"

#include "accessiblecontrols.h"
#include "ui_volumeslider.h"
#include "volumemeter.h"

#include <QKeyEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

// The next value on the step's grid (-6.0, -5.5, -5.0 for half a decibel), so that
// repeated presses read as round numbers.
double nextOnGrid(double db, int direction, double stepDb)
{
    const double slack = 1e-6; // a shown value is exact to its decimals, not to the bit
    const double steps = direction > 0 ? std::floor(db / stepDb + slack) + 1.0
                                       : std::ceil(db / stepDb - slack) - 1.0;
    return std::clamp(steps * stepDb, VolumeSlider::minimumDb, VolumeSlider::maximumDb);
}

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
    installAccessibleFactory();
    ui->setupUi(this);
    reserveScaleRoom();
    // One step per 0.1 dB of the whole span, on average.
    const double span = VolumeMeter::tToDb(0.0) - VolumeMeter::tToDb(1.0);
    ui->slider->setMaximum(int(std::lround(span / 0.1)));
    moveSliderSilently(sliderValueFor(0.0));
    ui->slider->installEventFilter(this);
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
    return shownDb;
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

void VolumeSlider::setAccessibleNames(const QString& faderName, const QString& meterName)
{
    ui->slider->setAccessibleName(faderName);
    ui->meter->setAccessibleName(meterName);
}

void VolumeSlider::moveTo(double db)
{
    if (std::isnan(db))
        return;
    tryMove(rounded(std::clamp(db, minimumDb, maximumDb)));
}

void VolumeSlider::stepBy(int direction, double stepDb)
{
    tryMove(rounded(nextOnGrid(shownDb, direction, stepDb)));
}

// Keys are handled in decibels (the slider's own steps are positions of uneven size);
// each press is a complete edit counted from the value shown.
bool VolumeSlider::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != ui->slider || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Up:
    case Qt::Key_Right:
        stepBy(1, keyStepDb);
        return true;
    case Qt::Key_Down:
    case Qt::Key_Left:
        stepBy(-1, keyStepDb);
        return true;
    case Qt::Key_PageUp:
        stepBy(1, pageStepDb);
        return true;
    case Qt::Key_PageDown:
        stepBy(-1, pageStepDb);
        return true;
    default:
        return false; // Home and End: the slider's own ends, -120 and +3 dB
    }
}

void VolumeSlider::setDecimals(int value)
{
    decimals = value;
    setValueSilently(shownDb);
}

// The way QDoubleSpinBox rounds, so that a value the box shows is one the fader holds.
double VolumeSlider::rounded(double db) const
{
    return QString::number(db, 'f', decimals).toDouble();
}

// The fader's steps are finer than the box's near the top and coarser near the bottom; a
// move lands on the box's precision. A key press or wheel notch smaller than the box's step
// still moves by one step of it. A drag does not: the handle rests on the box's value, off
// the mouse's position by a fraction of a step, and the next mouse event must not count
// that fraction as a move.
double VolumeSlider::landingValue(double db) const
{
    const double value = rounded(db);
    if (value != shownDb || db == shownDb || ui->slider->isSliderDown())
        return value;
    const double unit = std::pow(10.0, -decimals);
    return rounded(db > shownDb ? shownDb + unit : shownDb - unit);
}

// NaN has no place on the fader (the mapping would put it at the top); it is ignored.
void VolumeSlider::setValueSilently(double db)
{
    if (std::isnan(db))
        return;
    shownDb = rounded(qBound(VolumeMeter::tToDb(1.0), db, VolumeMeter::tToDb(0.0)));
    moveSliderSilently(sliderValueFor(shownDb));
}

void VolumeSlider::setValueWithSignals(double db)
{
    if (std::isnan(db))
        return;
    setValueSilently(db);
    Q_EMIT editingFinishedWithValue(shownDb);
}

void VolumeSlider::setLevelSilently(double db)
{
    ui->meter->setLevel(db);
}

// Every move, by mouse, keys or wheel, counts from the value shown at that moment, whoever
// set it; the handle then rests where that value belongs, as the box shows it.
void VolumeSlider::on_slider_valueChanged(int value)
{
    tryMove(landingValue(calcDb(value)));
}

void VolumeSlider::tryMove(double db)
{
    const double delta = db - shownDb;
    bool ok = delta != 0.0 && isPossibleValue(db);
    if (ok)
        Q_EMIT editingFinishedWithDelta(delta, &ok);
    if (ok) {
        shownDb = db;
        Q_EMIT editingFinishedWithValue(db);
        Q_EMIT editingFinishedWithDelta(delta, nullptr);
    }
    moveSliderSilently(sliderValueFor(shownDb));
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
