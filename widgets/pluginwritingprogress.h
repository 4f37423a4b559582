#pragma once

#include <QDialog>

namespace Ui {
class PluginWritingProgress;
}

// Shows the phase ("Writing plugin...", "Verifying plugin...") and its progress
// while a plugin image goes to the device and is read back.
class PluginWritingProgress : public QDialog
{
    Q_OBJECT
public:
    explicit PluginWritingProgress(QWidget* parent = nullptr);
    ~PluginWritingProgress() override;

    void setText(const QString& text);
    void setProgress(int percent);
    QString text() const;
    int progress() const;

private:
    Ui::PluginWritingProgress* ui;
};
