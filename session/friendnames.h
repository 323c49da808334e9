#pragma once
// Who answers the phone: the caption shown above friend n's portrait, picture DRn.

#include <QString>

#include <array>

/// Captions of friends 1..14 (row 0 is unused); each fits Windows-1251 and ends with a colon.
inline constexpr std::array<const char16_t *, 15> kFriendNames = {
    nullptr,
    u"Профессор Иван Петрович:",
    u"Бабушка Анна:",
    u"Сосед Витя, студент:",
    u"Учительница Ольга Сергеевна:",
    u"Доктор Сергей Маратович:",
    u"Подруга Катя, журналист:",
    u"Дедушка Николай:",
    u"Брат Дима, программист:",
    u"Инженер Алексей Иванович:",
    u"Тётя Люда, бухгалтер:",
    u"Шахматист Борис Львович:",
    u"Сестра Маша, школьница:",
    u"Библиотекарь Вера Павловна:",
    u"Капитан Олег, лётчик:",
};

/// The caption of friend n (1..14), or an empty text for any other number.
inline QString FriendName(int n)
{
    if (n < 1 || n >= int(kFriendNames.size()))
        return {};
    return QString::fromUtf16(kFriendNames[n]);
}
