// Writes many records into one results file, as one of several lab machines would.
// Usage: results_writer FILE LESSON PREFIX COUNT

#include "cp1251.h"
#include "results.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 5)
        return 2;
    const QString file = QString::fromLocal8Bit(argv[1]);
    const QByteArray lesson = argv[2];
    const QByteArray prefix = argv[3];
    const int count = QByteArray(argv[4]).toInt();
    for (int i = 0; i < count; ++i) {
        // Distinct checksums: the number is spelled with a letter per digit plus a weight.
        QByteArray name = prefix + QByteArray::number(i);
        name += QByteArray(i, 'A');
        const Status s = WriteResult(file, lesson, name, 1 + i % 16);
        if (!s.ok()) {
            std::fprintf(stderr, "%s\n", qPrintable(s.error));
            return 1;
        }
    }
    return 0;
}
