#pragma once

#include <QComboBox>
#include <QList>
#include <QPointer>
#include <QString>
#include <memory>

class QFrame;
class QPushButton;
class QVBoxLayout;

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
    bool popupMatchesItems() const;
    // One button per item, in index order.
    void fillPopup();
    void popupButtonClicked();

    bool simplePopup = false;
    QString popupClassPrefix;
    // Parented to the top-level window and deleted by us; guarded, since the window may
    // delete it first.
    QPointer<QFrame> popup;
    QPointer<QVBoxLayout> popupLayout;
    QList<std::shared_ptr<QPushButton>> popupButtons; // one per item, in index order
};
