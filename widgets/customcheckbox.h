#pragma once

#include <QCheckBox>

class CustomCheckBox : public QCheckBox
{
    Q_OBJECT
public:
    explicit CustomCheckBox(QWidget* parent = nullptr);

    void setCheckedSilently(bool checked);
};
