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

// The popup hangs off the top-level window, not off us, so we delete it ourselves.
CustomComboBox::~CustomComboBox()
{
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
    popup = new QFrame(window(), Qt::Popup | Qt::NoDropShadowWindowHint);
    // Closed by us or by a click elsewhere, it goes: a popup kept for the next opening
    // would be one more window for the rest of the run.
    popup->setAttribute(Qt::WA_DeleteOnClose);
    popup->setMinimumSize(width(), 0);
    popup->setProperty("className", popupClassPrefix + QStringLiteral("frame"));
    auto* layout = new QVBoxLayout(popup);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < count(); ++i) {
        auto* button = new QPushButton(itemText(i), popup);
        button->setCheckable(true);
        button->setProperty("itemIndex", i);
        button->setProperty("className", popupClassPrefix + QStringLiteral("button"));
        connect(button, &QPushButton::clicked, this, &CustomComboBox::popupButtonClicked);
        button->installEventFilter(this);
        popupButtons.append(button);
        layout->addWidget(button);
    }
}

void CustomComboBox::showPopup()
{
    if (!simplePopup) {
        QComboBox::showPopup();
        return;
    }
    hidePopup(); // one popup at a time, built from the items as they are now
    buildPopup();
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
    // The event type first: while the popup is being destroyed its buttons still send
    // events here, and the guarded popup must not be looked at then.
    if (event->type() != QEvent::KeyPress)
        return QComboBox::eventFilter(watched, event);
    auto* button = qobject_cast<QPushButton*>(watched);
    if (!button || button->parentWidget() != popup)
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
    // Deleted later: this may run inside one of its buttons' clicked signal.
    if (popup)
        popup->close();
    popup = nullptr;
    popupButtons.clear();
}

void CustomComboBox::popupButtonClicked()
{
    const QObject* button = sender();
    bool ok = false;
    const int index = button ? button->property("itemIndex").toInt(&ok) : -1;
    hidePopup();
    if (ok && index >= 0 && index < count())
        setCurrentIndex(index);
}
