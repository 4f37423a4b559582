#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <functional>

class QColor;
class QWidget;

// Points QSettings at a fresh temporary directory for as long as it lives, so
// tests never read or write the user's own preferences.
class PrivatePreferences
{
public:
    PrivatePreferences();
    ~PrivatePreferences();
    QString path() const { return dir.path(); }

private:
    QTemporaryDir dir;
};

// Bytes from hex digits; spaces between byte groups are skipped.
inline QByteArray hex(const char* digits)
{
    return QByteArray::fromHex(digits);
}

// A file's bytes (a resource's too); empty when it cannot be read.
QByteArray readFile(const QString& path);

// WCAG 2 contrast ratio, from 1:1 to 21:1.
double contrastRatio(const QColor& a, const QColor& b);

// Registers the compiled-in resources (stylesheets, images, font).
void initTestResources();

// Runs `answer` on the next modal dialog (message box, input or file dialog) once it
// is shown; returns immediately. With `className` (e.g. "QMessageBox") only a dialog
// of that class counts, so answers for a chain of dialogs can be set up at once.
void answerNextDialog(std::function<void(QWidget* dialog)> answer, int timeoutMs = 5000,
                      const char* className = nullptr);

// Answers the next file dialog with `path`, or cancels it when `path` is empty.
void answerFileDialog(const QString& path, int timeoutMs = 5000);
