#include "testsupport.h"

#include "resourceinit.h"

#include <QApplication>
#include <QColor>
#include <QDeadlineTimer>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QSettings>
#include <QTimer>
#include <algorithm>
#include <cmath>

PrivatePreferences::PrivatePreferences()
{
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
}

PrivatePreferences::~PrivatePreferences() = default;

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

double contrastRatio(const QColor& a, const QColor& b)
{
    const auto luminance = [](const QColor& c) {
        const auto channel = [](double v) {
            return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) +
               0.0722 * channel(c.blueF());
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

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
