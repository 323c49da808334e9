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

TEST_F(Accessibility, HostsBannerIsAnAlertReadWithItsText)
{
    WindowBanners banners;
    banners.showBanner(QStringLiteral("Таллори!"), QStringLiteral("Вы уверены?"), Qt::blue, Qt::white);
    QAccessibleInterface *banner = reader(banners.currentBanner());
    ASSERT_NE(banner, nullptr);
    EXPECT_EQ(banner->role(), QAccessible::AlertMessage);
    EXPECT_EQ(banner->text(QAccessible::Name), QStringLiteral("Вы уверены?"));
    EXPECT_EQ(banner->text(QAccessible::Description), QStringLiteral("Таллори!"));
    banners.closeBanner();
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
