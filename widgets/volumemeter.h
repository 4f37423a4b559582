#pragma once

#include "piecewiselinear.h"

#include <QImage>
#include <QWidget>
#include <map>
#include <memory>

// The level meter beside a fader: a red-yellow-green gradient, dimmed above the level.
// The decibel/position mapping here is the one the fader and its scale use too.
class VolumeMeter : public QWidget
{
    Q_OBJECT
public:
    explicit VolumeMeter(QWidget* parent = nullptr);
    ~VolumeMeter() override;

    void setLevel(double db);
    // The level shown, in dB: -120 until the first level arrives.
    double getLevel() const { return tToDb(levelT); }
    std::shared_ptr<QImage> getBackground() const { return background; }

    static double dbToT(double db);
    static double tToDb(double t);
    static QRgb tToColor(double t);
    static void initInterpolations();
    static void initDbInterpolations();
    static void initColorInterpolations();
    // Number of gradient images currently cached (one per distinct meter height).
    static int cachedBackgroundCount();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fillBackground();
    void releaseBackground();

    std::shared_ptr<QImage> background;
    int backgroundHeight = -1; // the cache key of `background`
    double levelT = 1.0;       // nothing lit until the first level arrives

    static std::unique_ptr<PiecewiseLinear> m_tToDb;
    static std::unique_ptr<PiecewiseLinear> m_dbToT;
    static std::unique_ptr<PiecewiseLinear> m_tToR;
    static std::unique_ptr<PiecewiseLinear> m_tToG;
    static std::map<int, std::shared_ptr<QImage>> m_backgrounds;
};
