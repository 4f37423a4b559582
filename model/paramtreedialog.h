#pragma once

#include <QDialog>

namespace Ui {
class ParamTreeDialog;
}
class TreeWidget;

// Owns the hub; shown and hidden by the main window's "Show Tree" action.
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
