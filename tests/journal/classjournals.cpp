#include "classjournals.h"

#include <cmath>

namespace classjournals {

Question Q1()
{
    return question(1, 0, QStringLiteral("Что измеряют в амперах?"), QStringLiteral("Силу тока"),
                    QStringLiteral("Напряжение"), QStringLiteral("Сопротивление"), QStringLiteral("Мощность"));
}

Question Q2a()
{
    // Begins like a spreadsheet formula: the CSV export must keep it text.
    return question(2, 0, QStringLiteral("=Сколько ватт в киловатте?"), QStringLiteral("1000"), QStringLiteral("100"),
                    QStringLiteral("10"), QStringLiteral("1000000"));
}

Question Q2b()
{
    return question(2, 1, QStringLiteral("Чем измеряют напряжение?"), QStringLiteral("Вольтметром"),
                    QStringLiteral("Амперметром"), QStringLiteral("Омметром"), QStringLiteral("Ваттметром"));
}

Question Q3()
{
    return question(3, 0, QStringLiteral("В чём измеряют заряд?"), QStringLiteral("В кулонах"),
                    QStringLiteral("В вольтах"), QStringLiteral("В омах"), QStringLiteral("В ваттах"));
}

Question Q4()
{
    return question(4, 0, QStringLiteral("Что такое джоуль?"), QStringLiteral("Единица работы"),
                    QStringLiteral("Единица силы"), QStringLiteral("Единица тока"), QStringLiteral("Единица массы"));
}

namespace {

// The right answer stands on A, D, C, B in turn.
QByteArray orderOf(int game)
{
    static const char *const orders[] = {"1234", "2341", "3412", "4123"};
    return orders[game % 4];
}

// Level 3, ВЧЁМ ИЗМЕРЯЮТ ЗАРЯД: four right, one stop, seven choose «В вольтах», two «В омах».
// Returns false when the game ended on it.
bool levelThree(Writer &w, int i)
{
    w.show(Q3(), orderOf(i));
    if (i == 5 || i == 6)
        w.journal->fiftyFiftyUsed({2, 3});
    if (i == 7)
        w.journal->audienceAsked({0, 10, 25, 10, 5});
    if (i == 8)
        w.journal->friendCalled(cp1251::encode(QStringLiteral("Друг\nДумаю, в вольтах")).value_or(""));
    if (i <= 3) {
        w.click(1, 2500);
        return true;
    }
    if (i == 4) {
        w.end(GameEnding::Stop, 3);
        return false;
    }
    w.click(i >= 16 ? 3 : 2, i >= 16 ? 4000 : 3000 + 100 * i);
    w.end(GameEnding::Wrong, 3);
    return false;
}

// Level 2: the even games get =СКОЛЬКО ВАТТ (all right), the odd ones ЧЕМ ИЗМЕРЯЮТ НАПРЯЖЕНИЕ
// (four right, three «Амперметром», two «Омметром»).
bool levelTwo(Writer &w, int i)
{
    if (i % 2 == 0) {
        w.show(Q2a(), orderOf(i));
        w.click(1, 1500);
        return true;
    }
    w.show(Q2b(), orderOf(i));
    if (i <= 7) {
        w.click(1, 2000);
        return true;
    }
    w.click(i <= 13 ? 2 : 3, i <= 13 ? 2200 : 2400);
    w.end(GameEnding::Wrong, 2);
    return false;
}

} // namespace

// Twenty games: nineteen answer level 1 right (twelve of them in under a second), the last
// answers it wrong; the four that pass level 3 stop on level 4, but for the last of them, which
// is left unfinished with the question on screen.
void WriteClass(const std::function<Writer &(int game)> &pick)
{
    for (int i = 0; i < 20; ++i) {
        Writer &w = pick(i);
        w.start(kLesson, QStringLiteral("УЧЕНИК %1").arg(i + 1));
        w.show(Q1(), orderOf(i));
        if (i == 19) {
            w.click(2, 3000);
            w.end(GameEnding::Wrong, 1);
            continue;
        }
        w.click(1, i < 12 ? 500 + 10 * i : 2000 + 100 * i);
        if (!levelTwo(w, i) || !levelThree(w, i))
            continue;
        w.show(Q4(), orderOf(i));
        if (i < 3)
            w.end(GameEnding::Stop, 4);
    }
}

// Each game answers all five levels, right or wrong, so that every question gets the same
// number of answers and the shares are exactly as planned: level 1 90 %, then 75, 60, 45 and
// 30 %, but question 2 of level 1 at 30 % and question 1 of level 5 at 90 %.
void WriteLadder(Writer &writer, int games)
{
    static const double shares[] = {0, 0.9, 0.75, 0.6, 0.45, 0.3};
    const int perQuestion = games / 3;
    for (int g = 0; g < games; ++g) {
        const int index = g % 3;
        writer.start(QStringLiteral("ЛЕСТНИЦА"), QStringLiteral("УЧЕНИК %1").arg(g + 1));
        for (int level = 1; level <= 5; ++level) {
            double share = shares[level];
            if (level == 1 && index == 2)
                share = 0.3;
            if (level == 5 && index == 1)
                share = 0.9;
            const QString tag = QStringLiteral("%1.%2").arg(level).arg(index + 1);
            writer.show(question(level, index, QStringLiteral("Вопрос ") + tag, QStringLiteral("Верно ") + tag,
                                 QStringLiteral("Неверно ") + tag, QStringLiteral("Мимо ") + tag,
                                 QStringLiteral("Никак ") + tag));
            const bool right = g / 3 < static_cast<int>(std::lround(share * perQuestion));
            writer.click(right ? 1 : 2, 3000);
        }
        writer.end(GameEnding::Stop, 6);
    }
}

} // namespace classjournals
