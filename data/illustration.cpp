#include "illustration.h"

#include <QDir>
#include <QRegularExpression>
#include <QUrl>

namespace {

// A scheme is two letters or more, so that a drive ("C:") is never taken for one.
QString schemeOf(const QString &reference)
{
    static const QRegularExpression scheme(QStringLiteral("^([A-Za-z][A-Za-z0-9+.-]+):"));
    const QRegularExpressionMatch match = scheme.match(reference);
    return match.hasMatch() ? match.captured(1).toLower() : QString();
}

bool typedWebAddress(const QString &reference)
{
    return reference.startsWith(QStringLiteral("www."), Qt::CaseInsensitive);
}

} // namespace

bool IsWebIllustration(const QString &reference)
{
    const QString ref = reference.trimmed();
    const QString scheme = schemeOf(ref);
    return typedWebAddress(ref) || (!scheme.isEmpty() && scheme != QLatin1String("file"));
}

QString IllustrationLocation(const QString &reference, const QString &programFolder)
{
    const QString ref = reference.trimmed();
    if (ref.isEmpty())
        return {};
    if (typedWebAddress(ref))
        return QStringLiteral("http://") + ref;
    const QString scheme = schemeOf(ref);
    if (scheme == QLatin1String("file"))
        return QUrl(ref).toLocalFile();
    if (!scheme.isEmpty())
        return ref;
    // QDir knows what is absolute where the program runs: "/..." here, "C:\..." and
    // "\\server\..." on Windows.
    if (QDir::isAbsolutePath(ref))
        return ref;
    QString path = ref;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return programFolder + path;
}
