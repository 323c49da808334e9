// Opening a large bank in the workbench's editor, every question checked by the question rules,
// side by side with tallory-bank check on the same file. The target: the editor takes at most
// three times as long as the check.

#include "benchcommon.h"

#include "bankcheck.h"
#include "bankdocument.h"
#include "bankeditor.h"
#include "bankfile.h"
#include "prompts.h"
#include "userfile.h"

#include <QApplication>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <cstdio>

namespace {

constexpr int kLines = 200000;
constexpr int kRuns = 5;
constexpr double kTarget = 3.0;

const char16_t *const kWords[] = {u"сколько", u"какой", u"город", u"река", u"число", u"закон", u"формула",
                                  u"атом", u"век", u"поэт", u"роман", u"площадь", u"угол", u"сила", u"масса",
                                  u"энергия", u"страна", u"столица", u"музыка", u"картина", u"автор", u"год"};

QString words(QRandomGenerator &random, int n)
{
    QStringList out;
    for (int i = 0; i < n; ++i)
        out.append(QString::fromUtf16(kWords[random.bounded(static_cast<int>(std::size(kWords)))]));
    return out.join(QLatin1Char(' '));
}

// About 100 bytes a line: a question of seven words and four answers of a word and a number each.
QByteArray makeBank()
{
    QRandomGenerator random(20261208);
    QString text = QStringLiteral("Большой вопросник для замера\n");
    const int perLevel = kLines / kBankLevels;
    for (int level = 1; level <= kBankLevels; ++level) {
        text += QStringLiteral("[%1]\n").arg(level);
        for (int n = 0; n < perLevel; ++n) {
            text += QStringLiteral("Вопрос %1: %2?|%3 %4а|%5 %4б|%6 %4в|%7 %4г|\n")
                        .arg(n)
                        .arg(words(random, 7), words(random, 1))
                        .arg(n)
                        .arg(words(random, 1), words(random, 1), words(random, 1));
        }
    }
    EditorBank bank = BankFromPlainText(text.toUtf8()).bank;
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("big.faq"));
    bench::require(SaveFaq(path, bank).ok(), "the generated bank was refused");
    return ReadInputFile(path).value;
}

// Times the editor's opening side by side with the tool's check; true when the target is met.
bool measure(const QString &path, const QString &folder, int bankBytes)
{
    BankDocument doc;
    DialogPrompts prompts;
    BankEditor editor(&doc, folder, &prompts);
    int problems = -1;
    LoadedBank loaded;
    int exitCode = -1;
    bench::Measure open{"editor: read, split, unscramble, check, fill", [&] {
        auto read = ReadBank(path);
        doc.reset(std::move(read.value.bank));
        problems = static_cast<int>(doc.allProblems().size());
    }, {}, {}};
    bench::Measure readOnly{"    reading the file into the bank type", [&] { loaded = ReadBank(path).value; }, {}, {}};
    bench::Measure resetOnly{"    checking the questions, filling the models", [&] { doc.reset(loaded.bank); }, {}, {}};
    bench::Measure tool{"tallory-bank check, run as a process", [&] {
        QProcess check;
        check.start(QStringLiteral(TALLORY_BANK_TOOL), {QStringLiteral("check"), path});
        check.waitForFinished(-1);
        check.readAllStandardOutput();
        exitCode = check.exitCode();
    }, {}, {}};
    bench::Measure inProcess{"CheckBank in this process (for reference)", [&] { CheckBank(ReadInputFile(path).value); },
                             {}, {}};
    bench::runSideBySide({&open, &readOnly, &resetOnly, &tool, &inProcess}, kRuns);

    std::printf("bank: %d question lines, %.1f MB; %d questions in the editor, %d problems; tallory-bank check exit %d\n",
                doc.bank().total(), bankBytes / 1e6, doc.bank().total(), problems, exitCode);
    std::printf("median of %d runs, measured side by side:\n", kRuns);
    for (const bench::Measure *m : {&open, &readOnly, &resetOnly, &tool, &inProcess})
        bench::printMeasure(*m);
    return bench::printRatio("editor / tallory-bank check", open, tool, kTarget);
}

int run(QTemporaryDir &home)
{
    const QByteArray bytes = makeBank();
    const QString path = home.filePath(QStringLiteral("big.faq"));
    bench::require(WriteOutputFile(path, bytes).ok(), "cannot write the bank", path);
    return measure(path, home.path() + QLatin1Char('/'), static_cast<int>(bytes.size())) ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    return bench::runInTemporaryFolder<QApplication>(argc, argv, run);
}
