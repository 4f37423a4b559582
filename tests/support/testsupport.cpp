#include "testsupport.h"

#include "resourceinit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QSettings>
#include <QTimer>
#include <QWidget>

PrivatePreferences::PrivatePreferences()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
}

PrivatePreferences::~PrivatePreferences() = default;

void initTestResources()
{
    initTonviseResources();
}

void answerNextDialog(std::function<void(QWidget* dialog)> answer, int timeoutMs,
                      const char* className)
{
    auto* timer = new QTimer;
    auto* clock = new QElapsedTimer;
    clock->start();
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, clock, answer, timeoutMs, className]() {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && (!className || modal->inherits(className))) {
            timer->stop();
            answer(modal);
        } else if (clock->elapsed() < timeoutMs) {
            return;
        }
        timer->stop();
        timer->deleteLater();
        delete clock;
    });
    timer->start();
}
