#include "links.h"
#include "stringres.h"

#include <QApplication>
#include <QWidget>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Every test writes down the links instead of starting a browser.
class LinksTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        previous = SetLinkOpener([this](const QUrl &url) {
            opened.push_back(url);
            return answer;
        });
    }
    void TearDown() override { SetLinkOpener(previous); }

    std::vector<QUrl> opened;
    bool answer = true;
    LinkOpener previous;
};

int visibleWindows()
{
    int count = 0;
    for (QWidget *w : QApplication::topLevelWidgets())
        count += w->isVisible() ? 1 : 0;
    return count;
}

} // namespace

TEST(StringRes, NumbersAndTexts)
{
    EXPECT_EQ(int(StringId::Title), 65250);
    EXPECT_EQ(int(StringId::HomePageLink), 65251);
    EXPECT_EQ(int(StringId::MailLink), 65252);
    EXPECT_EQ(int(StringId::WinMessage), 65253);
    EXPECT_EQ(LoadStr(StringId::Title), QStringLiteral("Таллори!"));
    EXPECT_EQ(LoadStr(StringId::WinMessage),
              QStringLiteral("Это фантастика! Поздравляем! Вы получили ПЯТЕРКУ!"));
    EXPECT_EQ(LoadStr(StringId::HomePageLink), QStringView(kHomePageLink).toString());
    EXPECT_EQ(LoadStr(StringId::MailLink), QStringView(kMailLink).toString());
}

TEST(StringRes, MailLinkCarriesTheSubjectPercentEncoded)
{
    const QUrl url(LoadStr(StringId::MailLink));
    EXPECT_TRUE(url.isValid());
    EXPECT_EQ(url.scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(url.path(), QStringLiteral("author@tallory.example.org"));
    EXPECT_EQ(url.query(QUrl::FullyDecoded), QStringLiteral("subject=Таллори"));
    EXPECT_EQ(url.toEncoded(), QByteArray("mailto:author@tallory.example.org?subject=")
                                   + QStringLiteral("Таллори").toUtf8().toPercentEncoding());
}

TEST_F(LinksTest, HomePageAndLetterGoToTheirAddresses)
{
    OpenHomePage();
    WriteToAuthor();
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], QUrl(QStringLiteral("https://tallory.example.org/")));
    EXPECT_EQ(opened[0].scheme(), QStringLiteral("https"));
    EXPECT_EQ(opened[1], QUrl(LoadStr(StringId::MailLink)));
    EXPECT_EQ(opened[1].query(QUrl::FullyDecoded), QStringLiteral("subject=Таллори"));
}

TEST_F(LinksTest, OpenLinkHandsOverTheTargetAsGiven)
{
    OpenLink(QStringLiteral("https://tallory.example.org/rules.html"));
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0].toString(), QStringLiteral("https://tallory.example.org/rules.html"));
}

TEST_F(LinksTest, AFailedOpenShowsNothingAndDoesNotThrow)
{
    answer = false;
    const int before = visibleWindows();
    EXPECT_NO_THROW(OpenLink(QStringLiteral("mailto:nobody@tallory.example.org")));
    EXPECT_NO_THROW(WriteToAuthor());
    QCoreApplication::processEvents();
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_EQ(visibleWindows(), before);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(LinksTest, ReplacingTheOpenerHandsBackTheOldOne)
{
    int seen = 0;
    LinkOpener mine = SetLinkOpener([&](const QUrl &) {
        ++seen;
        return true;
    });
    OpenHomePage();
    EXPECT_EQ(seen, 1);
    EXPECT_TRUE(opened.empty());
    SetLinkOpener(mine);
    OpenHomePage();
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(opened.size(), 1u);
}
