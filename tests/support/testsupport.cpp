#include "testsupport.h"

#include "resourceinit.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QSettings>
#include <QTimer>

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
    QObject::connect(timer, &QTimer::timeout, [=, deadline = QDeadlineTimer(timeoutMs)] {
        QWidget* modal = QApplication::activeModalWidget();
        const bool found =
            modal && modal->isVisible() && (!className || modal->inherits(className));
        if (!found && !deadline.hasExpired())
            return;
        timer->stop();
        if (found)
            answer(modal);
        timer->deleteLater();
    });
    timer->start(10);
}

void answerFileDialog(const QString& path, int timeoutMs)
{
    answerNextDialog(
        [path](QWidget* dialog) {
            auto* files = static_cast<QFileDialog*>(dialog);
            if (path.isEmpty())
                return files->reject();
            // selectFile() with a full path can leave only the folder selected.
            const QFileInfo info(path);
            files->setDirectory(info.absolutePath());
            if (auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                name->setText(info.fileName());
            static_cast<QDialog*>(files)->accept(); // QFileDialog::accept is protected
        },
        timeoutMs, "QFileDialog");
}
