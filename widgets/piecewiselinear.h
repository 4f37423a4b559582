#pragma once

#include <QVector>

// y = k * x + b through two points.
class Line
{
public:
    Line(double x1, double x2, double y1, double y2);
    double calcY(double x) const { return k * x + b; }

private:
    double k;
    double b;
};

// Linear interpolation through points with ascending x; clamped to the end values
// outside them.
class PiecewiseLinear
{
public:
    PiecewiseLinear(QVector<double> xs, QVector<double> ys);
    double calcY(double x) const;

private:
    QVector<double> xs;
    QVector<Line> lines;
    double yFirst = 0.0;
    double yLast = 0.0;
};
