#include "piecewiselinear.h"

#include <algorithm>

Line::Line(double x1, double x2, double y1, double y2) : k((y2 - y1) / (x2 - x1)), b(y1 - k * x1) {}

PiecewiseLinear::PiecewiseLinear(QVector<double> xs, QVector<double> ys)
{
    // Mismatched tables are cut to the shorter one rather than read past its end.
    const int n = std::min(xs.size(), ys.size());
    xs.resize(n);
    this->xs = xs;
    if (n == 0)
        return;
    for (int i = 0; i + 1 < n; ++i)
        lines.append(Line(xs[i], xs[i + 1], ys[i], ys[i + 1]));
    yFirst = ys[0];
    yLast = ys[n - 1];
}

double PiecewiseLinear::calcY(double x) const
{
    const int p = int(std::upper_bound(xs.cbegin(), xs.cend(), x) - xs.cbegin());
    if (p == 0)
        return yFirst;
    if (p == xs.size())
        return yLast;
    return lines[p - 1].calcY(x);
}
