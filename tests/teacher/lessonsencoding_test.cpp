// A settings file a teacher saved from an editor in UTF-8: the lessons tab says so and turns it
// into Windows-1251, after which the game finds its lessons; the file is never half converted.

#include "inifile.h"
#include "lessonsmodel.h"
#include "lessonstab.h"
#include "teachertest.h"
#include "teachertest_window.h"
#include "testutil.h"

#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using testutil::readBytes;
using testutil::w;
using testutil::writeBytes;

class LessonsEncoding : public ::testing::Test
{
protected:
    void show()
    {
        tab = std::make_unique<LessonsTab>(folder, &prompts);
        tab->show();
    }
    QWidget *warning() const { return tab->findChild<QWidget *>(QStringLiteral("encodingWarning")); }
    void clickConvert()
    {
        auto *button = tab->findChild<QPushButton *>(QStringLiteral("convertSettings"));
        ASSERT_NE(button, nullptr);
        QTest::mouseClick(button, Qt::LeftButton);
    }

    QTemporaryDir dir;
    QString folder = dir.path() + QLatin1Char('/');
    QString ini = folder + QStringLiteral("tallory.ini");
    QString utf8Settings = QStringLiteral("; настройки класса\r\n[ФИЗИКА-8]\r\nВопросник=физика.faq\r\n"
                                          "[настройки]\r\nВедущий=\r\n");
    FakePrompts prompts;
    std::unique_ptr<LessonsTab> tab;
};

TEST_F(LessonsEncoding, AUtf8FileIsShownAsSuchAndConvertedByItsButton)
{
    writeBytes(ini, "\xEF\xBB\xBF" + utf8Settings.toUtf8());
    show();
    ASSERT_NE(warning(), nullptr);
    EXPECT_TRUE(warning()->isVisible());
    // Beside the warning, the lessons as the teacher wrote them, each one the game does not find.
    ASSERT_EQ(tab->model()->rowCount(), 1);
    EXPECT_EQ(tab->model()->code(0), QStringLiteral("ФИЗИКА-8"));
    EXPECT_EQ(tab->model()->data(tab->model()->index(0, LessonsModel::State)).toString(),
              QStringLiteral("игра не найдёт: файл настроек в UTF-8 (вопросник: файл не найден)"));
    clickConvert();
    EXPECT_EQ(readBytes(ini), w(reinterpret_cast<const char16_t *>(utf8Settings.utf16())));
    EXPECT_FALSE(warning()->isVisible());
    ASSERT_EQ(tab->model()->rowCount(), 1);
    EXPECT_EQ(tab->model()->code(0), QStringLiteral("ФИЗИКА-8"));
    EXPECT_EQ(IniReadString(ini, w(u"физика-8"), w(u"Вопросник"), {}), w(u"физика.faq"));
    EXPECT_TRUE(prompts.errors.isEmpty());
}

TEST_F(LessonsEncoding, ACharacterWindows1251CannotHoldRefusesTheConversionNamingItsLine)
{
    const QByteArray bytes = (utf8Settings + QStringLiteral("; 🙂\r\n")).toUtf8(); // no mark: still UTF-8
    writeBytes(ini, bytes);
    show();
    EXPECT_TRUE(warning()->isVisible());
    clickConvert();
    EXPECT_EQ(readBytes(ini), bytes);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains(QStringLiteral("в строке 6 символ «🙂» (U+1F642)"))) << prompts.errors[0].toStdString();
    EXPECT_TRUE(warning()->isVisible());
}

TEST_F(LessonsEncoding, AWindows1251OrPlainAsciiFileShowsNoWarning)
{
    // Windows-1251 whatever its end: one letter at the very end would be a cut UTF-8 sequence.
    for (const QByteArray &bytes : {w(reinterpret_cast<const char16_t *>(utf8Settings.utf16())),
                                    QByteArray("[DEMO]\r\nHost=host.bmp"), w(u"[ДЕМО]\r\nВедущий=Я")}) {
        writeBytes(ini, bytes);
        show();
        EXPECT_FALSE(warning()->isVisible()) << bytes.toHex().constData();
        clickConvert();
        EXPECT_EQ(readBytes(ini), bytes);
    }
    EXPECT_EQ(tab->model()->rowCount(), 0); // the last file names no bank
    EXPECT_TRUE(prompts.errors.isEmpty());
}

// A lesson added to a UTF-8 file would be a Windows-1251 line among UTF-8 ones: the file is
// converted first, when the teacher agrees, and left alone when not.
TEST_F(LessonsEncoding, AddingALessonToAUtf8FileConvertsTheFileFirst)
{
    writeBytes(ini, utf8Settings.toUtf8());
    writeBytes(folder + QStringLiteral("geo.faq"), "[1]\r\n");
    show();
    prompts.texts = {QStringLiteral("гео")};
    prompts.files = {folder + QStringLiteral("geo.faq")};
    prompts.confirmAnswer = true;
    QTest::mouseClick(tab->findChild<QPushButton *>(QStringLiteral("addLesson")), Qt::LeftButton);
    EXPECT_EQ(readBytes(ini), w(reinterpret_cast<const char16_t *>(utf8Settings.utf16())) + w(u"[ГЕО]\r\nВопросник=geo.faq\r\n"));
    EXPECT_TRUE(prompts.lastQuestion.contains(QStringLiteral("UTF-8"))) << prompts.lastQuestion.toStdString();
    EXPECT_FALSE(warning()->isVisible());
    ASSERT_EQ(tab->model()->rowCount(), 2);
    EXPECT_EQ(tab->model()->code(0), QStringLiteral("ФИЗИКА-8"));
    EXPECT_EQ(tab->model()->code(1), QStringLiteral("ГЕО"));
    EXPECT_TRUE(prompts.errors.isEmpty()) << prompts.errors.join(QLatin1Char('\n')).toStdString();
}

TEST_F(LessonsEncoding, AddingALessonToAUtf8FileIsRefusedWhenTheTeacherKeepsUtf8)
{
    const QByteArray bytes = utf8Settings.toUtf8();
    writeBytes(ini, bytes);
    show();
    prompts.texts = {QStringLiteral("гео")};
    prompts.files = {folder + QStringLiteral("geo.faq")};
    prompts.confirmAnswer = false;
    QTest::mouseClick(tab->findChild<QPushButton *>(QStringLiteral("addLesson")), Qt::LeftButton);
    EXPECT_EQ(readBytes(ini), bytes);
    EXPECT_TRUE(warning()->isVisible());
}

// The file was saved in UTF-8 by an editor while the tab showed it: removing a lesson is refused
// with the reason rather than written in the other encoding.
TEST_F(LessonsEncoding, AFileTurnedUtf8MeanwhileIsNotWrittenInto)
{
    writeBytes(ini, w(reinterpret_cast<const char16_t *>(utf8Settings.utf16())));
    show();
    ASSERT_EQ(tab->model()->rowCount(), 1);
    tab->table()->setCurrentIndex(tab->model()->index(0, 0));
    const QByteArray bytes = utf8Settings.toUtf8();
    writeBytes(ini, bytes);
    prompts.confirmAnswer = true;
    QTest::mouseClick(tab->findChild<QPushButton *>(QStringLiteral("removeLesson")), Qt::LeftButton);
    EXPECT_EQ(readBytes(ini), bytes);
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].contains(QStringLiteral("UTF-8"))) << prompts.errors[0].toStdString();
    EXPECT_TRUE(warning()->isVisible());
}

class SettingsEncodingAtStart : public WindowTest
{
};

// Whichever tab the teacher looks at first, a UTF-8 settings file is named as the window opens.
TEST_F(SettingsEncodingAtStart, AUtf8SettingsFileIsNamedWhenTheWorkbenchOpens)
{
    QCoreApplication::processEvents();
    EXPECT_TRUE(prompts.errors.isEmpty()) << "no settings file, nothing to say";
    writeBytes(folder + QStringLiteral("tallory.ini"), QStringLiteral("[сервер]\r\nСлужба=school\r\n").toUtf8());
    open();
    QCoreApplication::processEvents();
    ASSERT_EQ(prompts.errors.size(), 1);
    EXPECT_TRUE(prompts.errors[0].startsWith(
        QStringLiteral("Файл настроек «%1tallory.ini» сохранён в кодировке UTF-8").arg(folder)))
        << prompts.errors[0].toStdString();
}
