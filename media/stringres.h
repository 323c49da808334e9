#pragma once
// The program's string resources, under the numbers they have always had.

#include <QString>
#include <QStringView>

/// The resource number of each string.
enum class StringId : int {
    Title = 65250,
    HomePageLink = 65251,
    MailLink = 65252,
    WinMessage = 65253,
};

inline constexpr char16_t kTitle[] = u"Таллори!";
inline constexpr char16_t kHomePageLink[] = u"https://tallory.example.org/";
/// The letter to the author; the subject "Таллори" is already percent-encoded as UTF-8 so that
/// every mail program the desktop hands it to reads the same address.
inline constexpr char16_t kMailLink[] =
    u"mailto:author@tallory.example.org?subject=%D0%A2%D0%B0%D0%BB%D0%BB%D0%BE%D1%80%D0%B8";
inline constexpr char16_t kWinMessage[] = u"Это фантастика! Поздравляем! Вы получили ПЯТЕРКУ!";

/// The text of a string resource.
inline QString LoadStr(StringId id)
{
    switch (id) {
    case StringId::Title:
        return QStringView(kTitle).toString();
    case StringId::HomePageLink:
        return QStringView(kHomePageLink).toString();
    case StringId::MailLink:
        return QStringView(kMailLink).toString();
    case StringId::WinMessage:
        return QStringView(kWinMessage).toString();
    }
    return QString();
}
