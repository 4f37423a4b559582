#pragma once

#include <QLineEdit>

class CustomLineEdit : public QLineEdit
{
    Q_OBJECT
public:
    explicit CustomLineEdit(QWidget* parent = nullptr);

    // Shows `text` without counting as an edit, then announces `text` itself.
    void setTextAndEmitValue(const QString& text);

Q_SIGNALS:
    void editingFinishedWithValue(const QString& text);

public Q_SLOTS:
    void onEditingFinished();
};
