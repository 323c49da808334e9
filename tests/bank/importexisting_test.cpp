// tallory-bank import onto a bank that is already there: refused without a word from the teacher,
// added to with --append (its title, notes and questions kept), replaced with --replace.

#include "importtest.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

using namespace importtest;
using namespace toolstest;

namespace {

// The teacher's bank: a title, a note, and questions on levels 1 to 5.
const char kBank[] = "chemistry-8.faq";
// The same bank after a copy to a flash drive was cut short: zero bytes in place of its end.
const char kDamagedBank[] = "chemistry-8-damaged.faq";

class ImportExistingTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const char *name : {"chemistry.gift", kBank, kDamagedBank})
            writeBytes(dir.filePath(QString::fromUtf8(name)), fixture(name));
    }

    ToolRun bank(const QStringList &args) { return runTool(QStringLiteral("tallory-bank"), args, dir.path()); }
    QByteArray bytes(const char *name) { return readBytes(dir.filePath(QString::fromUtf8(name))); }
    QString unpacked(const char *name) { return QString::fromUtf8(bank({"unpack", QString::fromUtf8(name)}).out); }

    QTemporaryDir dir;
};

} // namespace

TEST_F(ImportExistingTest, ImportOntoAnExistingBankIsRefusedAndTheBankKeptByteForByte)
{
    const ToolRun run = bank({"import", "chemistry.gift", kBank});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.endsWith(u8(QStringLiteral(
        "Вопросник «chemistry-8.faq» уже есть и не изменён. Чтобы добавить вопросы к его уровням, повторите "
        "команду с --append; чтобы заменить его вопросами из «chemistry.gift» — с --replace (прежний вопросник "
        "останется рядом копией).\n"))))
        << run.err.toStdString();
    EXPECT_EQ(bytes(kBank), fixture(kBank));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 3) << "no lock or temporary file is left";
}

TEST_F(ImportExistingTest, AppendAddsTheQuestionsToTheBanksLevelsAndKeepsEverythingItHad)
{
    const ToolRun run = bank({"import", "chemistry.gift", kBank, "--append"});
    ASSERT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(QString::fromUtf8(run.out).startsWith(QStringLiteral(
        "Вопросник «chemistry-8.faq» дополнен: 12 вопросов из «chemistry.gift» (GIFT), не взято: 9. Теперь в нём "
        "18 вопросов.\nУровень  1: 9 вопросов (новых: 7)\nУровень  2: 5 вопросов (новых: 4)\n"
        "Уровень  3: 2 вопроса (новых: 1)\nУровень  4: 1 вопрос\nУровень  5: 1 вопрос\nУровень  6: 0 вопросов\n")))
        << run.out.toStdString();
    EXPECT_EQ(unpacked(kBank), QStringLiteral(
        "Химия, 8 класс: итоговый тест\n"
        "Составила Н. В. Петрова, школа № 12\n"
        "[1]\n"
        "Сколько элементов в молекуле воды?|два|один|три|четыре|\n"
        "Какой газ нужен для горения?|кислород|азот|гелий|аргон|\n"
        "Какова формула воды?|H2O|H2O2|HO|OH|\n"
        "Как называется NaCl?|хлорид натрия|хлорат натрия|натрий хлористый|сульфат натрия|\n"
        "Что означает знак = в уравнении реакции?|равенство числа атомов|знак ~ «примерно»|нагревание {t°}|катализатор|\n"
        "Какой из металлов самый лёгкий?|литий|натрий|калий|алюминий|\n"
        "Как называется раствор с pH меньше 7?|кислый|щелочной|нейтральный|солевой|\n"
        "Какая частица несёт отрицательный заряд?|электрон|протон|нейтрон|ядро|\n"
        "Каков символ натрия?|Na|N|So|Nt|\n"
        "[2]\n"
        "Какой металл жидкий при комнатной температуре?|ртуть|свинец|олово|цинк|\n"
        "Какой газ выделяется при горении метана?|углекислый газ|кислород|водород|азот|\n"
        "Сколько протонов в ядре атома углерода?|6|12|4|8|\n"
        "Ртуть при комнатной температуре _____, потому её хранят в склянках.|жидкая|твёрдая|газообразная|плазма|\n"
        "Какой индикатор краснеет в кислоте?|лакмус|фенолфталеин|метилоранж в щёлочи|ни один|\n"
        "[3]\n"
        "Как называется смесь металлов?|сплав|раствор|взвесь|эмульсия|\n"
        "Что такое катализатор?|вещество, ускоряющее реакцию|продукт реакции|исходное вещество|растворитель|\n"
        "[4]\n"
        "Какова валентность кислорода?|II|I|III|IV|\n"
        "[5]\n"
        "Что такое моль?|количество вещества|масса вещества|объём газа|плотность|\n"));
    EXPECT_TRUE(bytes(kBank).startsWith(fixture(kBank).first(fixture(kBank).indexOf("[1]\r\n") + 5)))
        << "the title and notes stand unchanged before the first level";
}

TEST_F(ImportExistingTest, DamagedBankIsRefusedWithoutSteeringToReplaceAndNeverShortened)
{
    for (const QStringList &args : {QStringList{"import", "chemistry.gift", kDamagedBank, "--append"},
                                    QStringList{"import", "chemistry.gift", kDamagedBank}}) {
        const ToolRun run = bank(args);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        const QString err = QString::fromUtf8(run.err);
        EXPECT_TRUE(err.contains(QStringLiteral("chemistry-8-damaged.faq:13: текст обрывается на байте 424 (NUL)")))
            << run.err.toStdString();
        EXPECT_TRUE(err.endsWith(QStringLiteral(
            "Вопросник «chemistry-8-damaged.faq» не дополнен и не изменён: игра читает его не целиком (см. выше), "
            "а записанный заново он потерял бы то, чего игра не читает. Откройте его в мастерской учителя: она покажет, "
            "что в нём не читается, и при сохранении оставит исходный файл рядом копией; затем добавьте вопросы к "
            "сохранённому с --append.\n"))) << run.err.toStdString();
        EXPECT_FALSE(err.contains(QStringLiteral("--replace"))) << run.err.toStdString();
        EXPECT_EQ(bytes(kDamagedBank), fixture(kDamagedBank));
    }
}

TEST_F(ImportExistingTest, ReplaceWritesTheImportedBankAndKeepsTheOldOneBesideIt)
{
    ASSERT_EQ(bank({"import", "chemistry.gift", "fresh.faq"}).exitCode, 0);
    const struct {
        const char *bank;
        const char *copy; // named as the workbench names the copy of a damaged bank
    } cases[] = {{kBank, "chemistry-8 (до замены).faq"}, {kDamagedBank, "chemistry-8-damaged (повреждённый).faq"}};
    for (const auto &c : cases) {
        const ToolRun run = bank({"--replace", "import", "chemistry.gift", c.bank});
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_TRUE(run.out.startsWith(u8(QStringLiteral("Вопросник «%1» записан: 12 вопросов").arg(c.bank))));
        EXPECT_TRUE(run.out.endsWith(u8(QStringLiteral("Прежний файл оставлен рядом копией «%1».\n")
                                            .arg(QString::fromUtf8(c.copy))))) << run.out.toStdString();
        EXPECT_EQ(bytes(c.bank), bytes("fresh.faq"));
        EXPECT_EQ(bytes(c.copy), fixture(c.bank)) << "the old bank is kept byte for byte";
    }
    ASSERT_EQ(bank({"--replace", "import", "chemistry.gift", kBank}).exitCode, 0);
    EXPECT_EQ(bytes("chemistry-8 (до замены 2).faq"), bytes("fresh.faq")) << "a second replace never overwrites the first copy";
}

TEST_F(ImportExistingTest, TextFileTargetGetsPlainTextAndAnyOtherNameIsRefused)
{
    const ToolRun text = bank({"import", "chemistry.gift", "new.txt"});
    ASSERT_EQ(text.exitCode, 0) << text.err.toStdString();
    EXPECT_TRUE(text.out.startsWith(u8(QStringLiteral("Текст вопросника «new.txt» записан: 12 вопросов")))) << text.out.toStdString();
    EXPECT_TRUE(QString::fromUtf8(bytes("new.txt")).startsWith(QStringLiteral(
        "Химия, 8 класс: вещества и реакции\nСоставила Н. В. Петрова\n[1]\nКакова формула воды?|H2O|H2O2|HO|OH|\n")))
        << bytes("new.txt").toStdString();
    const ToolRun packed = bank({"pack", "new.txt", "packed.faq"});
    EXPECT_TRUE(packed.out.startsWith(u8(QStringLiteral("Вопросник «packed.faq» записан: 12 вопросов.\n"))))
        << "the text is one the packer takes whole: " << packed.err.toStdString();

    EXPECT_EQ(bank({"import", "chemistry.gift", "new.txt", "--append"}).exitCode, 1);
    const ToolRun other = bank({"import", "chemistry.gift", "new.bank"});
    EXPECT_EQ(other.exitCode, 1);
    EXPECT_EQ(other.err, u8(QStringLiteral("Файл «new.bank» не записан: по его имени не видно, что в нём хранить. "
                                           "Вопросник для игры называется *.faq, его текст — *.txt.\n")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("new.bank"))));
}

TEST_F(ImportExistingTest, AppendOrReplaceOntoNoBankWritesANewOne)
{
    for (const char *option : {"--append", "--replace"}) {
        const QString name = QStringLiteral("new%1.faq").arg(QString::fromUtf8(option));
        const ToolRun run = bank({"import", "chemistry.gift", name, QString::fromUtf8(option)});
        EXPECT_EQ(run.exitCode, 0) << option;
        EXPECT_TRUE(run.out.startsWith(u8(QStringLiteral("Вопросник «%1» записан: 12 вопросов").arg(name)))) << option;
    }
}

TEST_F(ImportExistingTest, AppendWithReplaceOrOutsideImportIsAUsageError)
{
    for (const QStringList &args : {QStringList{"import", "chemistry.gift", kBank, "--append", "--replace"},
                                    QStringList{"pack", "chemistry.gift", kBank, "--replace"},
                                    QStringList{"check", kBank, "--append"}}) {
        const ToolRun run = bank(args);
        EXPECT_EQ(run.exitCode, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(u8(QStringLiteral("Использование:")))) << args.join(' ').toStdString();
    }
    EXPECT_EQ(bytes(kBank), fixture(kBank));
}
