#pragma once

#include <QComboBox>
#include <QList>
#include <QPointer>
#include <QString>

class QFrame;
class QPushButton;

// A combo box that can offer its items as a column of push buttons instead of the
// platform list, styled through their "className" properties.
class CustomComboBox : public QComboBox
{
    Q_OBJECT
public:
    explicit CustomComboBox(QWidget* parent = nullptr);
    ~CustomComboBox() override;

    void setSimplePopup(bool simple);
    void setPopupClassPrefix(const QString& prefix);
    void setCurrentIndexSilently(int index);

    void showPopup() override;
    void hidePopup() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildPopup();
    void popupButtonClicked();

    bool simplePopup = false;
    QString popupClassPrefix;
    // The open simple popup, parented to the top-level window; built on each opening and
    // deleted once closed. Guarded, since the window may delete it first.
    QPointer<QFrame> popup;
    QList<QPushButton*> popupButtons; // the open popup's, one per item, in index order
};
