#include "customcombobox.h"

#include "accessiblecontrols.h"

#include <QFrame>
#include <QKeyEvent>
#include <QPushButton>
#include <QVBoxLayout>

CustomComboBox::CustomComboBox(QWidget* parent) : QComboBox(parent)
{
    installAccessibleFactory();
}

// The popup hangs off the top-level window, not off us, so we delete it ourselves:
// buttons first, then the layout, then the frame.
CustomComboBox::~CustomComboBox()
{
    popupButtons.clear();
    delete popupLayout;
    delete popup;
}

void CustomComboBox::setSimplePopup(bool simple)
{
    simplePopup = simple;
}

void CustomComboBox::setPopupClassPrefix(const QString& prefix)
{
    popupClassPrefix = prefix;
}

void CustomComboBox::setCurrentIndexSilently(int index)
{
    const bool wasBlocked = blockSignals(true);
    setCurrentIndex(index);
    blockSignals(wasBlocked);
}

void CustomComboBox::buildPopup()
{
    popupButtons.clear(); // gone with a frame the window deleted, if any
    popup = new QFrame(window(), Qt::Popup | Qt::NoDropShadowWindowHint);
    popup->setMinimumSize(width(), 0);
    popup->setProperty("className", popupClassPrefix + QStringLiteral("frame"));
    popupLayout = new QVBoxLayout(popup);
    popupLayout->setContentsMargins(0, 0, 0, 0);
    popupLayout->setSpacing(0);
}

bool CustomComboBox::popupMatchesItems() const
{
    if (popupButtons.size() != count())
        return false;
    for (int i = 0; i < count(); ++i) {
        if (popupButtons[i]->text() != itemText(i))
            return false;
    }
    return true;
}

void CustomComboBox::fillPopup()
{
    popupButtons.clear();
    for (int i = 0; i < count(); ++i) {
        auto* button = new QPushButton(itemText(i));
        button->setCheckable(true);
        button->setProperty("itemIndex", i);
        button->setProperty("className", popupClassPrefix + QStringLiteral("button"));
        connect(button, &QPushButton::clicked, this, &CustomComboBox::popupButtonClicked);
        button->installEventFilter(this);
        // The frame deletes its buttons if the window goes first; don't delete twice.
        QPointer<QPushButton> guard(button);
        popupButtons.append(
            std::shared_ptr<QPushButton>(button, [guard](QPushButton*) { delete guard.data(); }));
        popupLayout->addWidget(button);
    }
}

void CustomComboBox::showPopup()
{
    if (!simplePopup) {
        QComboBox::showPopup();
        return;
    }
    if (!popup)
        buildPopup();
    // Items may have changed since the last popup (a value the device reported that none
    // of the items stood for gets one of its own).
    if (!popupMatchesItems())
        fillPopup();
    const int current = currentIndex();
    for (int i = 0; i < popupButtons.size(); ++i)
        popupButtons[i]->setChecked(i == current);
    // Opened from the keyboard, the popup is used from the keyboard: start on the choice.
    if (current >= 0 && current < popupButtons.size())
        popupButtons[current]->setFocus(Qt::PopupFocusReason);
    const QPoint topLeft =
        parentWidget() ? parentWidget()->mapToGlobal(pos()) : mapToGlobal(QPoint(0, 0));
    popup->move(topLeft);
    popup->show();
}

// In the popup the arrow keys move between the choices and Return takes one, as in the
// platform's list; Space takes one and Escape closes the popup on their own.
bool CustomComboBox::eventFilter(QObject* watched, QEvent* event)
{
    auto* button = qobject_cast<QPushButton*>(watched);
    if (!button || button->parentWidget() != popup || event->type() != QEvent::KeyPress)
        return QComboBox::eventFilter(watched, event);
    const int index = button->property("itemIndex").toInt();
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Up:
        if (index > 0 && index - 1 < popupButtons.size())
            popupButtons[index - 1]->setFocus(Qt::TabFocusReason);
        return true;
    case Qt::Key_Down:
        if (index + 1 < popupButtons.size())
            popupButtons[index + 1]->setFocus(Qt::TabFocusReason);
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        button->click();
        return true;
    default:
        return QComboBox::eventFilter(watched, event);
    }
}

void CustomComboBox::hidePopup()
{
    if (!simplePopup) {
        QComboBox::hidePopup();
        return;
    }
    if (popup)
        popup->hide();
}

void CustomComboBox::popupButtonClicked()
{
    hidePopup();
    const QObject* button = sender();
    if (!button)
        return;
    bool ok = false;
    const int index = button->property("itemIndex").toInt(&ok);
    if (ok && index >= 0 && index < count())
        setCurrentIndex(index);
}
