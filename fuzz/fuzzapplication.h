#pragma once

#include "paramtree.h"
#include "treewidget.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonObject>
#include <cmath>

// The model's nodes own widgets, so they need an application object: one is made on first
// use and kept for the life of the process, on the offscreen platform unless one is chosen.
inline void ensureApplication()
{
    if (QCoreApplication::instance())
        return;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

// Full parameter trees, each made on first use and kept, like the application.
inline ParamTree& fuzzParamTree(int which = 0)
{
    struct Model
    {
        TreeWidget hub;
        ParamTree tree{&hub};
    };
    static Model* models[2] = {};
    ensureApplication();
    if (!models[which])
        models[which] = new Model;
    return models[which]->tree;
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
