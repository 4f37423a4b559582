#include "testsupport.h"

#include "resourceinit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
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

void answerFileDialog(const QString& path, int timeoutMs)
{
    answerNextDialog(
        [path](QWidget* dialog) {
            auto* files = static_cast<QFileDialog*>(dialog);
            if (path.isEmpty()) {
                files->reject();
                return;
            }
            // selectFile() with a full path can leave only the folder selected.
            const QFileInfo info(path);
            files->setDirectory(info.absolutePath());
            if (auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                name->setText(info.fileName());
            static_cast<QDialog*>(files)->accept(); // QFileDialog::accept is protected
        },
        timeoutMs, "QFileDialog");
}
