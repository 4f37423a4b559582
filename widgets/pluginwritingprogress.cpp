#include "pluginwritingprogress.h"

#include "ui_pluginwritingprogress.h"

PluginWritingProgress::PluginWritingProgress(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::FramelessWindowHint), ui(new Ui::PluginWritingProgress)
{
    ui->setupUi(this);
    setWindowModality(Qt::ApplicationModal);
}

PluginWritingProgress::~PluginWritingProgress()
{
    delete ui;
}

void PluginWritingProgress::setText(const QString& text)
{
    ui->label->setText(text);
}

void PluginWritingProgress::setProgress(int percent)
{
    ui->progressBar->setValue(percent);
}

QString PluginWritingProgress::text() const
{
    return ui->label->text();
}

int PluginWritingProgress::progress() const
{
    return ui->progressBar->value();
}
