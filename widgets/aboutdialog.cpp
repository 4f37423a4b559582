#include "aboutdialog.h"
#include "ui_aboutdialog.h"

#include <QLabel>

#ifndef TONVISE_VERSION
#error "TONVISE_VERSION must be defined by the build"
#endif

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent), ui(new Ui::AboutDialog)
{
    ui->setupUi(this);
    ui->toolVersion->setText(QStringLiteral(TONVISE_VERSION));
}

AboutDialog::~AboutDialog()
{
    // Labels still held through a handle leave the dialog instead of dying with it;
    // a parentless label is what tells the handle's deleter that it is now the owner.
    for (auto* issued : {&firmwareHandle, &pluginHandle})
        if (std::shared_ptr<QLabel> label = issued->lock())
            label->setParent(nullptr);
}

std::pair<std::shared_ptr<QLabel>, std::shared_ptr<QLabel>> AboutDialog::getVersionLabels()
{
    return {handleFor(ui->firmwareVersion, firmwareHandle),
            handleFor(ui->pluginVersion, pluginHandle)};
}

std::shared_ptr<QLabel> AboutDialog::handleFor(QLabel* label, std::weak_ptr<QLabel>& issued)
{
    if (std::shared_ptr<QLabel> existing = issued.lock())
        return existing;
    std::shared_ptr<QLabel> handle(label, [](QLabel* l) {
        if (!l->parent())
            delete l;
    });
    issued = handle;
    return handle;
}
