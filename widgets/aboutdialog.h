#pragma once

#include <QDialog>
#include <memory>
#include <utility>

class QLabel;

namespace Ui {
class AboutDialog;
}

// Shows the tool's version and the firmware and plugin versions the device reports.
// The two device versions are written by the parameter tree through shared handles.
class AboutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
    ~AboutDialog() override;

    // First the firmware label, then the plugin label. The dialog keeps owning both:
    // dropping the handles never deletes them. Should the dialog go first, the labels
    // stay alive for the handles and the last handle frees them.
    std::pair<std::shared_ptr<QLabel>, std::shared_ptr<QLabel>> getVersionLabels();

private:
    std::shared_ptr<QLabel> handleFor(QLabel* label, std::weak_ptr<QLabel>& issued);

    std::unique_ptr<Ui::AboutDialog> ui;
    std::weak_ptr<QLabel> firmwareHandle;
    std::weak_ptr<QLabel> pluginHandle;
};
