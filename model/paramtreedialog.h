#pragma once

#include <QDialog>

namespace Ui {
class ParamTreeDialog;
}
class TreeWidget;

// Owns the hub; opened, non-modal, from the settings menu's "Parameter Tree…" entry.
class ParamTreeDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ParamTreeDialog(QWidget* parent = nullptr);
    ~ParamTreeDialog() override;

    TreeWidget* getParamTree();

private:
    Ui::ParamTreeDialog* ui;
};
