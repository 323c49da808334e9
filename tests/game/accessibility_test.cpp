// The game window as a screen reader finds it: every control named, the ladder a list with the
// level being played selected, lifelines marked once used, the answer pressed by its action,
// the audience's shares and the host's banners readable as text.

#include "lifelinesfixture.h"

#include "accessiblegame.h"
#include "accessibletree.h"
#include "accessiblewidgets.h"
#include "announcer.h"
#include "windowbanners.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using accessibletree::findByRole;

class Accessibility : public LifelinesFixture
{
protected:
    void SetUp() override
    {
        LifelinesFixture::SetUp();
        InstallAccessibleWidgets();
        InstallGameAccessibility();
    }
    QAccessibleInterface *reader(QObject *object) { return QAccessible::queryAccessibleInterface(object); }
    // The ladder's items, top of the screen first, as "name | description | selected".
    std::vector<std::string> ladder()
    {
        QAccessibleInterface *list = findByRole(reader(form.get()), QAccessible::List);
        std::vector<std::string> items;
        for (int i = 0; list && i < list->childCount(); ++i) {
            QAccessibleInterface *item = list->child(i);
            items.push_back((item->text(QAccessible::Name) + QStringLiteral(" | ") + item->text(QAccessible::Description)
                             + (item->state().selected ? QStringLiteral(" | выбран") : QString())).toStdString());
        }
        return items;
    }
};

TEST_F(Accessibility, EveryVisibleControlIsNamedBeforeAndDuringAGame)
{
    TForm1 &f = startShown();
    EXPECT_EQ(accessibletree::namelessControls(reader(&f)).join(QStringLiteral("; ")).toStdString(), "")
        << "before a game";
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Слепцов"));
    EXPECT_EQ(accessibletree::namelessControls(reader(&f)).join(QStringLiteral("; ")).toStdString(), "")
        << "during a game";
}

TEST_F(Accessibility, LadderIsAListOfFifteenWithTheLevelBeingPlayedSelected)
{
    startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Слепцов"));
    std::vector<std::string> items = ladder();
    ASSERT_EQ(items.size(), 15);
    EXPECT_EQ(items.front(), std::string("15: 1000000 очков | несгораемая сумма, оценка 5"));
    EXPECT_EQ(items.back(), std::string("1: 100 очков | текущий вопрос | выбран"));

    // The answer pressed through its accessible action, as a reader's user presses it.
    for (int level = 1; level <= 5; ++level) {
        QAccessibleInterface *answer = reader(form->FaqBtn[static_cast<size_t>(rightButton())]);
        answer->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    }
    items = ladder();
    EXPECT_EQ(items[14], std::string("1: 100 очков | пройден"));
    EXPECT_EQ(items[10], std::string("5: 1000 очков | несгораемая сумма, оценка 3, заработана"));
    EXPECT_EQ(items[9], std::string("6: 2000 очков | текущий вопрос | выбран"));
}

TEST_F(Accessibility, UsedLifelinesSayUsedUntilTheNextGameAndBlankedAnswersCannotBePressed)
{
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Слепцов"));
    EXPECT_EQ(reader(f.SL1)->text(QAccessible::Name), QStringLiteral("Пятьдесят на пятдесят"));
    QTest::keyClick(&f, Qt::Key_F5);
    EXPECT_EQ(reader(f.SL1)->text(QAccessible::Description), kLifelineUsed);
    EXPECT_EQ(f.N50501->statusTip(), kLifelineUsed);
    EXPECT_NE(reader(f.SL3)->text(QAccessible::Description), kLifelineUsed);
    int unavailable = 0;
    for (int tag = 1; tag <= 4; ++tag)
        unavailable += reader(f.FaqBtn[static_cast<size_t>(tag)])->state().disabled ? 1 : 0;
    EXPECT_EQ(unavailable, 2);

    answerWrong();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Другов"));
    EXPECT_NE(reader(f.SL1)->text(QAccessible::Description), kLifelineUsed);
    EXPECT_TRUE(f.N50501->statusTip().isEmpty());
}

TEST_F(Accessibility, AudienceSharesAreReadAsText)
{
    TForm1 &f = startShown();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Слепцов"));
    QTest::keyClick(&f, Qt::Key_F3);
    const QString shares = reader(f.Panel2)->text(QAccessible::Description);
    EXPECT_TRUE(shares.startsWith(QStringLiteral("A "))) << shares.toStdString();
    EXPECT_EQ(shares.count(QStringLiteral(" %")), 4) << shares.toStdString();
}

// A reader speaks a notification as it appears (an alert it does not): the host's words, and
// not the caption, which is the program's name on every banner.
TEST_F(Accessibility, HostsBannerIsANotificationReadWithItsText)
{
    WindowBanners banners;
    banners.showBanner(QStringLiteral("Таллори!"), QStringLiteral("Вы уверены?"), Qt::blue, Qt::white);
    QAccessibleInterface *banner = reader(banners.currentBanner());
    ASSERT_NE(banner, nullptr);
    EXPECT_EQ(banner->role(), QAccessible::Notification);
    EXPECT_EQ(banner->text(QAccessible::Name), QStringLiteral("Вы уверены?"));
    EXPECT_EQ(banner->text(QAccessible::Description), QString());
    banners.closeBanner();
}

TEST_F(Accessibility, AnnouncementsAreNotificationsAndLifelinesAreAnnouncedWithTheirResults)
{
    TForm1 &f = startShown();
    auto *announcer = f.findChild<Announcer *>();
    ASSERT_NE(announcer, nullptr);
    QSignalSpy said(announcer, &Announcer::announced);
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Слепцов"));
    const QList<QAccessibleInterface *> shown = [&] {
        QList<QAccessibleInterface *> lines;
        for (QWidget *line : announcer->findChildren<QWidget *>()) {
            if (line->isVisible())
                lines << reader(line);
        }
        return lines;
    }();
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0]->role(), QAccessible::Notification);

    said.clear();
    QTest::keyClick(&f, Qt::Key_F5);
    QStringList removed;
    for (int tag = 1; tag <= 4; ++tag) {
        if (f.FaqBtn[static_cast<size_t>(tag)]->Caption().isEmpty())
            removed << QString(QChar(u'A' + tag - 1));
    }
    ASSERT_EQ(said.count(), 1);
    EXPECT_EQ(said.at(0).at(0).toString(),
              QStringLiteral("Пятьдесят на пятьдесят: убраны ответы %1 и %2.").arg(removed[0], removed[1]));
    QTest::keyClick(&f, Qt::Key_F3);
    ASSERT_EQ(said.count(), 2);
    EXPECT_EQ(said.at(1).at(0).toString(),
              QStringLiteral("Помощь аудитории: %1.").arg(reader(f.Panel2)->text(QAccessible::Description)));
}

// The idle screen is a picture: the client area, where the keyboard rests, says what to do,
// and Tab goes on to the command that starts a game. In a game Tab keeps off the toolbar.
TEST_F(Accessibility, IdleScreenSaysToPressF2AndTabReachesTheNewGameCommand)
{
    TForm1 &f = startShown();
    EXPECT_EQ(reader(f.Client)->text(QAccessible::Name), kIdleHint);
    EXPECT_TRUE(kIdleHint.contains(QStringLiteral("F2")));
    f.Client->setFocus();
    QTest::keyClick(f.Client, Qt::Key_Tab);
    EXPECT_EQ(f.focusWidget(), f.SL7);
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Слепцов"));
    EXPECT_NE(f.focusWidget(), f.SL7);
    EXPECT_EQ(f.SL7->focusPolicy(), Qt::NoFocus);
    EXPECT_NE(reader(f.Client)->text(QAccessible::Name), kIdleHint);
}

TEST(Sentence, EndsWithOneMarkNeverAStrayFullStop)
{
    const std::vector<std::pair<QString, QString>> cases = {
        {QStringLiteral("Москва"), QStringLiteral("Москва.")},   {QStringLiteral("Сколько будет 2+2?"), QStringLiteral("Сколько будет 2+2?")},
        {QStringLiteral("Ура!"), QStringLiteral("Ура!")},         {QStringLiteral("Итак…"), QStringLiteral("Итак…")},
        {QStringLiteral(" Конец. "), QStringLiteral("Конец.")},  {QString(), QString()},
    };
    for (const auto &[text, sentence] : cases)
        EXPECT_EQ(Sentence(text), sentence) << text.toStdString();
    const std::array<QString, 5> captions{QString(), QStringLiteral("A. Да"), QStringLiteral("B. Нет?"),
                                          QStringLiteral("C. Не знаю!"), QStringLiteral("D. 42")};
    EXPECT_EQ(QuestionAnnouncement(2, QStringLiteral("Сколько?"), captions),
              QStringLiteral("Вопрос 2 на 200 очков. Сколько? A. Да. B. Нет? C. Не знаю! D. 42."));
}

TEST_F(Accessibility, ReaderIsToldEachQuestionTheVerdictThePointsAndTheGrade)
{
    TForm1 &f = startShown();
    auto *announcer = f.findChild<Announcer *>();
    ASSERT_NE(announcer, nullptr);
    QSignalSpy said(announcer, &Announcer::announced);
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Слепцов"));
    ASSERT_EQ(said.count(), 1);
    const QString first = said.takeFirst().at(0).toString();
    EXPECT_TRUE(first.startsWith(QStringLiteral("Вопрос 1 на 100 очков. Вопрос 1."))) << first.toStdString();
    for (const QString &letter : {QStringLiteral("A. "), QStringLiteral("B. "), QStringLiteral("C. "), QStringLiteral("D. ")})
        EXPECT_TRUE(first.contains(letter)) << first.toStdString();

    const int right = rightButton();
    const QString rightCaption = f.FaqBtn[static_cast<size_t>(right)]->Caption();
    answerRight();
    QStringList sentences;
    for (const QList<QVariant> &s : said)
        sentences << s.at(0).toString();
    ASSERT_EQ(sentences.size(), 3);
    EXPECT_EQ(sentences[0], QStringLiteral("Верно: %1.").arg(rightCaption));
    EXPECT_EQ(sentences[1], QStringLiteral("У вас 100 очков."));
    EXPECT_TRUE(sentences[2].startsWith(QStringLiteral("Вопрос 2 на 200 очков."))) << sentences[2].toStdString();

    said.clear();
    const int wrong = wrongButton();
    const QString correct = f.FaqBtn[static_cast<size_t>(rightButton())]->Caption();
    answerWrong();
    ASSERT_GE(said.count(), 2);
    EXPECT_EQ(said.at(0).at(0).toString(), QStringLiteral("Неверно. Верный ответ: %1.").arg(correct));
    EXPECT_EQ(said.last().at(0).toString(), QStringLiteral("Игра окончена. ") + f.Label1->text());
    EXPECT_EQ(reader(f.FaqBtn[static_cast<size_t>(wrong)])->text(QAccessible::Description), QStringLiteral("неверно"));
}

TEST(SpokenBannerText, WordsSpeltOutForShowAreJoinedAndOtherTextIsLeftAlone)
{
    EXPECT_EQ(SpokenBannerText(QStringLiteral("П р а в и л ь н о !!!")), QStringLiteral("Правильно !!!"));
    EXPECT_EQ(SpokenBannerText(QStringLiteral(" ВАШИ ЗНАНИЯ ОЦЕНЕНЫ!")), QStringLiteral(" ВАШИ ЗНАНИЯ ОЦЕНЕНЫ!"));
    EXPECT_EQ(SpokenBannerText(QStringLiteral("А я бы в Москве")), QStringLiteral("А я бы в Москве"));
    EXPECT_EQ(SpokenBannerText(QStringLiteral("У г а д а л !!!")), QStringLiteral("Угадал !!!"));
}
