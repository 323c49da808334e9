#pragma once
// Illustration references as teachers write them, and where each leads: the game and the
// workbench are tested with this one table, so that both read a bank the same way.

#include <QString>

#include <vector>

namespace illustrations {

struct Address {
    QString reference;   ///< as written in the bank
    bool web;            ///< a web page
    QString location;    ///< where it leads; "%1" stands for the program folder
};

inline const std::vector<Address> &table()
{
    static const std::vector<Address> rows = {
        {QStringLiteral("pics\\map.png"), false, QStringLiteral("%1pics/map.png")},
        {QStringLiteral("pics/карта.png"), false, QStringLiteral("%1pics/карта.png")},
        {QStringLiteral("/home/teacher/pictures/map.png"), false, QStringLiteral("/home/teacher/pictures/map.png")},
#ifdef Q_OS_WIN
        {QStringLiteral("C:\\Exam\\x.bmp"), false, QStringLiteral("C:\\Exam\\x.bmp")},
#else
        // A drive letter means nothing here: such a folder can only lie beside the program.
        {QStringLiteral("C:\\Exam\\x.bmp"), false, QStringLiteral("%1C:/Exam/x.bmp")},
#endif
        {QStringLiteral("file:///home/teacher/map.png"), false, QStringLiteral("/home/teacher/map.png")},
        {QStringLiteral("http://example.org/a.png"), true, QStringLiteral("http://example.org/a.png")},
        {QStringLiteral("https://example.org/a"), true, QStringLiteral("https://example.org/a")},
        {QStringLiteral("ftp://example.org/a.png"), true, QStringLiteral("ftp://example.org/a.png")},
        {QStringLiteral("www.site.ru/a.png"), true, QStringLiteral("http://www.site.ru/a.png")},
        {QStringLiteral("WWW.Site.ru"), true, QStringLiteral("http://WWW.Site.ru")},
        {QStringLiteral("wwwroot/a.png"), false, QStringLiteral("%1wwwroot/a.png")},
        {QStringLiteral(" pics/map.png "), false, QStringLiteral("%1pics/map.png")},
    };
    return rows;
}

/// The location of a row for a program folder ending in "/".
inline QString location(const Address &row, const QString &folder)
{
    return row.location.contains(QStringLiteral("%1")) ? row.location.arg(folder) : row.location;
}

} // namespace illustrations
