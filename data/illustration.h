#pragma once
// Where a question's illustration lies. The game shows it and the workbench previews it, and
// both must read a teacher's reference the same way, so the rule lives here once.

#include <QString>

/// Whether reference names a web page: it has a scheme of its own ("http:", "https:", "ftp:",
/// but not "file:") or begins with "www." as a teacher types an address.
bool IsWebIllustration(const QString &reference);

/// What reference leads to, blanks around it ignored: for a web page its address with a scheme
/// ("www.site.ru/a.png" is "http://www.site.ru/a.png"); for a file its path on this machine,
/// absolute as written (beginning with "/", or on Windows with a drive letter or "\\server"),
/// or else in programFolder (ending in "/"), a backslash taken for a folder separator. Empty for
/// an empty reference.
QString IllustrationLocation(const QString &reference, const QString &programFolder);
