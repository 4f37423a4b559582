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
// repeated presses read as round numbers. The quarter step of slack absorbs the fader's
// own grid, up to 0.24 dB coarse near the bottom, which rarely lands exactly on a value.
double nextOnGrid(double db, int direction, double stepDb)
{
    const double slack = 0.25;
    const double steps = direction > 0 ? std::floor(db / stepDb + slack) + 1.0
                                       : std::ceil(db / stepDb - slack) - 1.0;
    return std::clamp(steps * stepDb, VolumeSlider::minimumDb, VolumeSlider::maximumDb);
}

} // namespace

VolumeSlider::VolumeSlider(QWidget* parent) : QWidget(parent), ui(new Ui::VolumeSlider)
{
    installAccessibleFactory();
    ui->setupUi(this);
    // One step per 0.1 dB of the whole span, on average.
    const double span = VolumeMeter::tToDb(0.0) - VolumeMeter::tToDb(1.0);
    ui->slider->setMaximum(int(std::lround(span / 0.1)));
    moveSliderSilently(sliderValueFor(0.0));
    connect(ui->slider, &CustomSlider::entered, this, &VolumeSlider::onSliderEntered);
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
    return calcDb(ui->slider->value());
}

bool VolumeSlider::isPossibleValue(double db) const
{
    return db >= VolumeMeter::tToDb(1.0) && db <= VolumeMeter::tToDb(0.0) && db >= -120.0 &&
           db <= 3.0;
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
    lastDb = getValue();
    ui->slider->setValue(sliderValueFor(std::clamp(db, minimumDb, maximumDb)));
}

void VolumeSlider::stepBy(int direction, double stepDb)
{
    const int position = sliderValueFor(nextOnGrid(getValue(), direction, stepDb));
    // A target that rounds to where the fader stands still moves it by one position.
    ui->slider->setValue(position != ui->slider->value() ? position : position + direction);
}

// Keys are handled in decibels; each press is a complete edit whose delta counts from
// where the fader stands, not from where the mouse last found it: the device may have
// moved it since, and grouped strips would follow that stale difference.
bool VolumeSlider::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != ui->slider || event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    lastDb = getValue();
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
    QFont font = painter.font();
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * 0.6);
    painter.setFont(font);

    const QChar minus(0x2212); // a true minus sign, as wide as the plus
    const QRect br = painter.fontMetrics().boundingRect(QString(minus) + QStringLiteral("120"));

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
