#include "phrases.h"

#include "cp1251.h"
#include "friendnames.h"

#include <array>

namespace {

constexpr std::array<const char16_t *, 9> kCorrectPhrases = {
    u"П р а в и л ь н о !!!",
    u"У г а д а л !!!",
    u"Завидую Вашей уверенности!",
    u"Вам опять повезло!",
    u"Сегодня фортуна Вам улыбается!",
    u"Можно только позавидовать Вашей эрудиции!",
    u"Наверное ты ЗНАЛ!",
    u"Отлично! Так держать!",
    u"И это без сомнений правильный ответ!",
};

constexpr std::array<const char16_t *, 4> kCorrectSounds = {u"appl", u"yes", u"ugadal", u"winner"};

constexpr std::array<const char16_t *, 4> kWrongPhrases = {
    u"Нужно ходить на лекции, вундеркинд!",
    u"К сожалению пятерка Вам не светит!",
    u"Вам нужно учиться, учиться, и еще раз...",
    u"Сегодня фортуна не на Вашей стороне!",
};

// \r starts a new line in the call window's label.
constexpr std::array<const char16_t *, 9> kFriendPhrases = {
    u"Я думаю, \rчто правильный ответ:\r\"%s\"!",
    u"Правильный ответ: \r  \"%s\",\r    Я это точно знаю!",
    u"Мне больше нравится, \r   ответ \"%s\"!",
    u"Зря ты мне позвонил,\r       Я ответа не знаю!",
    u"Я не уверен, \rно думаю что это\r\"%s\"!",
    u"Возможно я ошибаюсь,\rно по-моему это\r\"%s\"!",
    u"Может это и неправильно,\r но я бы рискнул и ответил \r\"%s\"!",
    u"Я больше склоняюсь \rк ответу \"%s\"!",
    u"На мой взгляд, \rправильно было бы ответить \r\"%s\"!",
};

constexpr std::array<const char16_t *, 10> kDoubtPhrases = {
    u"А если хорошенько подумать?",
    u"Возможно я ошибаюсь, но по-моему это не так!",
    u"Вы уверены?",
    u"Что-то Вы не то делаете!",
    u"Ай!",
    u"Ой! может другую кнопку нажмете?",
    u"Возможно я ошибаюсь, но по-моему это не так!",
    u"А может, не надо?",
    u"А если хорошенько подумать?",
    u"Ай!",
};

template <size_t N>
QByteArray row(const std::array<const char16_t *, N> &table, int index, int first)
{
    const int i = index - first;
    if (i < 0 || i >= static_cast<int>(N))
        return {};
    return cp1251::text(table[static_cast<size_t>(i)]);
}

} // namespace

QByteArray CorrectPhrases(int r) { return row(kCorrectPhrases, r, 1); }
QByteArray CorrectSounds(int r) { return row(kCorrectSounds, r, 1); }
QByteArray WrongPhrases(int r) { return row(kWrongPhrases, r, 1); }
QByteArray FriendPhrases(int r) { return row(kFriendPhrases, r, 1); }
QByteArray DoubtPhrases(int level) { return row(kDoubtPhrases, level, 6); }

QByteArray FriendNames(int r)
{
    if (r < 1 || r > 14)
        return {};
    return cp1251::text(kFriendNames[static_cast<size_t>(r)]);
}

QByteArray FormatFriendPhrase(int r, const QByteArray &answer)
{
    QByteArray text = FriendPhrases(r);
    const qsizetype at = text.indexOf("%s");
    if (at >= 0)
        text.replace(at, 2, answer);
    return text;
}
