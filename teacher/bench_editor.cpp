// Opening a large bank in the workbench's editor, every question checked by the question rules,
// side by side with tallory-bank check on the same file. The target: the editor takes at most
// three times as long as the check.

#include "bankcheck.h"
#include "bankdocument.h"
#include "bankeditor.h"
#include "bankfile.h"
#include "prompts.h"
#include "userfile.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

constexpr int kLines = 200000;
constexpr int kRuns = 5;

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
    if (!SaveFaq(path, bank).ok())
        qFatal("the generated bank was refused");
    return ReadInputFile(path).value;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

double timeIt(const std::function<void()> &run)
{
    std::vector<double> ms;
    for (int i = 0; i < kRuns; ++i) {
        QElapsedTimer t;
        t.start();
        run();
        ms.push_back(static_cast<double>(t.nsecsElapsed()) / 1e6);
    }
    return median(ms);
}

} // namespace

int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    QApplication app(argc, argv);

    const QByteArray bytes = makeBank();
    const QString path = home.filePath(QStringLiteral("big.faq"));
    if (!WriteOutputFile(path, bytes).ok())
        qFatal("cannot write the bank");

    BankDocument doc;
    DialogPrompts prompts;
    BankEditor editor(&doc, home.path() + QLatin1Char('/'), &prompts);
    int problems = -1;
    const double open = timeIt([&] {
        auto read = ReadBank(path);
        doc.reset(std::move(read.value.bank));
        problems = static_cast<int>(doc.allProblems().size());
    });
    LoadedBank loaded;
    const double readOnly = timeIt([&] { loaded = ReadBank(path).value; });
    const double resetOnly = timeIt([&] { doc.reset(loaded.bank); });
    int exitCode = -1;
    const double tool = timeIt([&] {
        QProcess check;
        check.start(QStringLiteral(TALLORY_BANK_TOOL), {QStringLiteral("check"), path});
        check.waitForFinished(-1);
        check.readAllStandardOutput();
        exitCode = check.exitCode();
    });
    const double inProcess = timeIt([&] { CheckBank(ReadInputFile(path).value); });

    std::printf("bank: %d question lines, %.1f MB; %d questions in the editor, %d problems; tallory-bank check exit %d\n",
                doc.bank().total(), static_cast<double>(bytes.size()) / 1e6, doc.bank().total(), problems, exitCode);
    std::printf("median of %d runs:\n", kRuns);
    std::printf("  editor: read, split, unscramble, check every question, fill the models  %8.1f ms\n", open);
    std::printf("    of which reading the file into the bank type                          %8.1f ms\n", readOnly);
    std::printf("    of which checking every question and filling the models               %8.1f ms\n", resetOnly);
    std::printf("  tallory-bank check, run as a process                                    %8.1f ms\n", tool);
    std::printf("  CheckBank called in this process (for reference)                        %8.1f ms\n", inProcess);
    std::printf("ratio editor / tallory-bank check: %.2f (target <= 3)\n", open / tool);
    return 0;
}
