#include "volumemeter.h"

#include "accessiblecontrols.h"

#include <QAccessible>
#include <QPainter>
#include <algorithm>
#include <cmath>

std::unique_ptr<PiecewiseLinear> VolumeMeter::m_tToDb;
std::unique_ptr<PiecewiseLinear> VolumeMeter::m_dbToT;
std::unique_ptr<PiecewiseLinear> VolumeMeter::m_tToR;
std::unique_ptr<PiecewiseLinear> VolumeMeter::m_tToG;
std::map<int, std::shared_ptr<QImage>> VolumeMeter::m_backgrounds;

VolumeMeter::VolumeMeter(QWidget* parent) : QWidget(parent)
{
    installAccessibleFactory();
}

VolumeMeter::~VolumeMeter()
{
    releaseBackground();
}

void VolumeMeter::setLevel(double db)
{
    if (std::isnan(db))
        return;
    const double before = levelT;
    levelT = dbToT(db);
    update();
    if (levelT != before) {
        QAccessibleValueChangeEvent changed(this, getLevel());
        QAccessible::updateAccessibility(&changed);
    }
}

double VolumeMeter::dbToT(double db)
{
    initInterpolations();
    return m_dbToT->calcY(db);
}

double VolumeMeter::tToDb(double t)
{
    initInterpolations();
    return m_tToDb->calcY(t);
}

QRgb VolumeMeter::tToColor(double t)
{
    initInterpolations();
    return qRgb(int(m_tToR->calcY(t)), int(m_tToG->calcY(t)), 0);
}

void VolumeMeter::initInterpolations()
{
    // The colour table is placed with dbToT, so the decibel tables come first.
    if (!m_tToDb)
        initDbInterpolations();
    if (!m_tToR)
        initColorInterpolations();
}

// Two thirds of the travel for +3 .. -21 dB, the last third for -21 .. -120 dB.
void VolumeMeter::initDbInterpolations()
{
    const QVector<double> t{0.0, 1.0 / 12, 1.0 / 6, 1.0 / 4, 5.0 / 12, 7.0 / 12, 2.0 / 3, 1.0};
    const QVector<double> db{3.0, 0.0, -3.0, -6.0, -12.0, -18.0, -21.0, -120.0};
    m_tToDb = std::make_unique<PiecewiseLinear>(t, db);
    QVector<double> tReversed(t.crbegin(), t.crend());
    QVector<double> dbReversed(db.crbegin(), db.crend());
    m_dbToT = std::make_unique<PiecewiseLinear>(dbReversed, tReversed);
}

// Red above +1 dB, red to yellow down to -2 dB, yellow to -6 dB, yellow to green down to
// -12 dB, green below.
void VolumeMeter::initColorInterpolations()
{
    const QVector<double> t{
        0.0, m_dbToT->calcY(1.0), m_dbToT->calcY(-2.0), m_dbToT->calcY(-6.0), m_dbToT->calcY(-12.0),
        1.0};
    m_tToR = std::make_unique<PiecewiseLinear>(t, QVector<double>{255, 255, 255, 255, 0, 0});
    m_tToG = std::make_unique<PiecewiseLinear>(t, QVector<double>{0, 0, 255, 255, 255, 255});
}

int VolumeMeter::cachedBackgroundCount()
{
    return int(m_backgrounds.size());
}

void VolumeMeter::fillBackground()
{
    const int h = height();
    auto image = std::make_shared<QImage>(width(), h, QImage::Format_ARGB32);
    for (int y = 0; y < h; ++y) {
        const QRgb color = tToColor(double(y) / h);
        QRgb* row = reinterpret_cast<QRgb*>(image->scanLine(y));
        std::fill(row, row + image->width(), color);
    }
    m_backgrounds[h] = image;
    background = image;
}

// Drops our share of the gradient; the cache lets go of it once no meter uses it.
void VolumeMeter::releaseBackground()
{
    if (!background)
        return;
    background.reset();
    const auto it = m_backgrounds.find(backgroundHeight);
    if (it != m_backgrounds.end() && it->second.use_count() == 1)
        m_backgrounds.erase(it);
}

void VolumeMeter::paintEvent(QPaintEvent*)
{
    const int h = height();
    if (!background || backgroundHeight != h) {
        releaseBackground();
        backgroundHeight = h;
        const auto it = m_backgrounds.find(h);
        if (it != m_backgrounds.end())
            background = it->second;
        else
            fillBackground();
    }
    QPainter painter(this);
    painter.drawImage(0, 0, *background);
    const int n = int(h * levelT);
    if (n > 0)
        painter.fillRect(0, 0, width(), std::min(h, n), QColor(0, 0, 0, 128));
}
