#pragma once

#include "paramtree.h"

#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <cmath>

// The model needs no display, only a core application object: one is made on first use
// and kept for the life of the process.
inline void ensureApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
}

// Full parameter trees, each made on first use and kept, like the application.
inline ParamTree& fuzzParamTree(int which = 0)
{
    static ParamTree* trees[2] = {};
    ensureApplication();
    if (!trees[which])
        trees[which] = new ParamTree;
    return *trees[which];
}

// What a saved settings file must hold: no nulls and no numbers that are not finite.
inline bool allNumbersFinite(const QJsonValue& value)
{
    bool finite = !value.isNull() && !value.isUndefined() &&
                  (!value.isDouble() || std::isfinite(value.toDouble()));
    for (const QJsonValue member : value.toObject())
        finite = finite && allNumbersFinite(member);
    for (const QJsonValue member : value.toArray())
        finite = finite && allNumbersFinite(member);
    return finite;
}
