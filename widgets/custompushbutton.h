#pragma once

#include <QPushButton>

class CustomPushButton : public QPushButton
{
    Q_OBJECT
public:
    explicit CustomPushButton(QWidget* parent = nullptr);

    void setCheckedSilently(bool checked);
};
