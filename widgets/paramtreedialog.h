#pragma once

#include <QDialog>

namespace Ui {
class ParamTreeDialog;
}
class ParamTreeView;

// Shows the parameter tree; opened, non-modal, from the settings menu's "Parameter Tree…" entry.
class ParamTreeDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ParamTreeDialog(QWidget* parent = nullptr);
    ~ParamTreeDialog() override;

    ParamTreeView* getParamTree();

private:
    Ui::ParamTreeDialog* ui;
};
