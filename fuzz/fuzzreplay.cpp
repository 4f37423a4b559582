// Stands in for libFuzzer's driver in the ordinary builds: runs a target once over every
// file named on the command line or found in a directory named there.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

bool runFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        return false;
    }
    const QByteArray bytes = file.readAll();
    std::fprintf(stderr, "running %s (%d bytes)\n", qPrintable(path), int(bytes.size()));
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(bytes.constData()),
                           size_t(bytes.size()));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    int runs = 0;
    bool ok = true;
    for (int i = 1; i < argc; ++i) {
        const QString arg = QString::fromLocal8Bit(argv[i]);
        if (!QFileInfo::exists(arg)) {
            std::fprintf(stderr, "no %s: nothing to replay there\n", qPrintable(arg));
        } else if (QFileInfo(arg).isDir()) {
            const QDir dir(arg);
            for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
                ok = runFile(dir.filePath(name)) && ok;
                ++runs;
            }
        } else {
            ok = runFile(arg) && ok;
            ++runs;
        }
    }
    std::fprintf(stderr, "%d inputs ran\n", runs);
    return ok && runs > 0 ? 0 : 1;
}
