#include "helpwindow.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>

#include <gtest/gtest.h>

TEST(HelpWindow, OpensWithItsTitleAndIsNotModal)
{
    HelpWindow help;
    help.show();
    EXPECT_TRUE(help.isVisible());
    EXPECT_EQ(help.windowTitle(), QStringLiteral("Таллори! — правила игры"));
    EXPECT_FALSE(help.isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(HelpWindow, RulesNameTheGradesLadderLifelinesAndKeys)
{
    HelpWindow help;
    const QString text = help.rulesText();
    for (const char16_t *phrase :
         {u"«Неудовлетворительно»", u"«Удовлетворительно»", u"«Хорошо»", u"«Отлично»",
          u"«Стоп, хватит и этого!»", u"«50 х 50»", u"«Помощь аудитории»", u"«Звонок другу»",
          u"пятьдесят зрителей", u"семизначный", u"один раз", u"«Настройка»", u"«Свернуть!»",
          u"пять минут", u"F1", u"F2", u"F3", u"F4", u"F5", u"F6", u"Alt+X"})
        EXPECT_TRUE(text.contains(QStringView(phrase))) << QStringView(phrase).toString().toStdString();
    for (const char *points : {"100", "200", "300", "500", "1 000", "2 000", "4 000", "8 000",
                               "16 000", "32 000", "64 000", "125 000", "250 000", "500 000",
                               "1 000 000"})
        EXPECT_TRUE(text.contains(QLatin1String(points))) << points;
}

TEST(HelpWindow, CloseButtonClosesIt)
{
    HelpWindow help;
    help.show();
    auto *buttons = help.findChild<QDialogButtonBox *>();
    ASSERT_NE(buttons, nullptr);
    QPushButton *close = buttons->button(QDialogButtonBox::Close);
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->text(), QStringLiteral("Закрыть"));
    close->click();
    EXPECT_FALSE(help.isVisible());
}
