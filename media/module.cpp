#include "module.h"

#include <QCoreApplication>
#include <QLibrary>

QString ModulePath(const QString &name)
{
    return QCoreApplication::applicationDirPath() + QLatin1Char('/') + name;
}

QFunctionPointer ModuleEntry(const QString &path, const char *symbol, const char *what)
{
    QLibrary module(path);
    const QFunctionPointer entry = module.resolve(symbol);
    if (!entry)
        qWarning("%s is not available: %s", what, qPrintable(module.errorString()));
    return entry;
}
