#pragma once
// The program's optional parts: the browser and the sound output live in modules next to the
// executable, so that their large libraries load only when first needed.

#include <QString>

/// The path of module name beside the executable (without the platform's suffix).
QString ModulePath(const QString &name);

/// The entry function called symbol of the module at path, or nullptr with a warning naming
/// what is missing; the module stays loaded for the rest of the run.
QFunctionPointer ModuleEntry(const QString &path, const char *symbol, const char *what);
