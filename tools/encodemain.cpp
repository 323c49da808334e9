// tallory-encode: converts a UTF-8 text into Windows-1251 with CR LF line ends. The build uses
// it to lay out the game's settings file from its UTF-8 source.

#include "textencode.h"
#include "userfile.h"
#include "console.h"

#include <QCoreApplication>
#include <QStringList>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments().mid(1);
    if (args.size() != 2) {
        PrintError(QStringLiteral("Использование: tallory-encode ТЕКСТ.utf8 ВЫХОД\n"));
        return 2;
    }
    const auto input = ReadInputFile(args[0]);
    if (!input.ok()) {
        PrintError(input.error + QLatin1Char('\n'));
        return 1;
    }
    const EncodeOutcome encoded = EncodeToCp1251(input.value);
    PrintError(FormatDiagnostics(args[0], encoded.diagnostics));
    if (!encoded.ok())
        return 1;
    const Status written = WriteOutputFile(args[1], encoded.bytes);
    if (!written.ok()) {
        PrintError(written.error + QLatin1Char('\n'));
        return 1;
    }
    return 0;
}
