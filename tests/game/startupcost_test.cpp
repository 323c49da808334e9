// What the window leaves for later as it starts: the call window of phone a friend is made the
// first time a friend is called and serves every later call, and the board's picture is put in
// the first time the board shows.

#include "gamefixture.h"

#include "pictures.h"
#include "telform.h"

#include <QAction>
#include <QApplication>
#include <QLabel>

class StartUpCost : public GameFixture
{
};

TEST_F(StartUpCost, CallWindowIsMadeOnTheFirstCallAndKept)
{
    TForm1 &f = startWatched();
    f.show();
    QApplication::setActiveWindow(&f);
    EXPECT_EQ(f.findChild<TTelform *>(), nullptr);

    QList<QDialog *> shown;
    dialogs.onModal = [&](QDialog &d) { shown << &d; };
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Звонарёв"));
    EXPECT_EQ(f.findChild<TTelform *>(), nullptr); // a game alone does not make it
    f.N5->trigger();
    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Перезвонов"));
    f.N5->trigger();

    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], shown[1]);
    EXPECT_EQ(f.findChildren<TTelform *>(), QList<TTelform *>{static_cast<TTelform *>(shown[0])});
    EXPECT_EQ(shown[0]->parentWidget(), &f);
}

TEST_F(StartUpCost, BoardGetsItsPictureWhenFirstShown)
{
    TForm1 &f = startWatched();
    f.show();
    EXPECT_TRUE(f.Image5->pixmap().isNull());

    newGame(QStringLiteral("ТЕСТ"), QStringLiteral("Табличкин"));
    answerRight(); // the points show on the board
    EXPECT_EQ(f.Image5->pixmap().toImage(), BuiltinPicture(QStringLiteral("BOARD")).toImage());
}
