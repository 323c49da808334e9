#pragma once
// A main window on a program folder of its own, with every service faked: tests drive it with
// clicks and keys and read the timeline, the files and the screen.

#include "fakes/fakeui.h"
#include "randomsource.h"
#include "testutil.h"
#include "tform1.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

class FormFixture : public ::testing::Test
{
protected:
    static inline const QStringList kClips = {
        QStringLiteral("begin"), QStringLiteral("gong"),   QStringLiteral("fon1"),    QStringLiteral("fon2"),
        QStringLiteral("fon3"),  QStringLiteral("btnclick"), QStringLiteral("pause"), QStringLiteral("summa"),
        QStringLiteral("change"), QStringLiteral("appl"),  QStringLiteral("yes"),     QStringLiteral("ugadal"),
        QStringLiteral("winner"), QStringLiteral("MILLION"), QStringLiteral("false"), QStringLiteral("final"),
        QStringLiteral("50x50"), QStringLiteral("zal"),    QStringLiteral("ringon"),  QStringLiteral("ringoff")};

    void SetUp() override
    {
        savedConfig = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("cfg")).toUtf8());
        folder = program.path() + QLatin1Char('/');
        for (const QString &clip : kClips)
            testutil::writeBytes(folder + QStringLiteral("wav/") + clip + QStringLiteral(".wav"), "RIFF");
    }
    void TearDown() override
    {
        form.reset();
        qputenv("XDG_CONFIG_HOME", savedConfig);
    }

    /// The services of a window on this fixture's folder, with every fake and the given pacer.
    FormServices services(Pacer &withPacer, QSize screen = QSize(1024, 768))
    {
        FormServices s;
        s.pacer = &withPacer;
        s.sound = &sound;
        s.dialogs = &dialogs;
        s.banners = &banners;
        s.random = &random;
        s.terminate = [this] { ++terminated; };
        s.openLink = [this](const QString &link) { links << link; };
        s.browse = [this](QWidget *, const QString &address) { browsed << address; };
        s.audience = [this](QWidget *, const QList<AudienceBar> &bars) {
            chart = bars;
            QStringList shown;
            for (const AudienceBar &bar : bars)
                shown << QStringLiteral("%1 %2 %3").arg(bar.label).arg(bar.votes).arg(bar.colour.name());
            timeline.events << QStringLiteral("chart: ") + shown.join(QStringLiteral(", "));
        };
        s.programFolder = folder;
        s.screen = screen;
        return s;
    }

    /// Builds the window for a screen, as the program entry does.
    TForm1 &start(QSize screen = QSize(1024, 768))
    {
        form = std::make_unique<TForm1>(services(pacer, screen));
        return *form;
    }

    void writeSettings(const char16_t *text) { testutil::writeBytes(folder + QStringLiteral("tallory.ini"), testutil::w(text)); }

    QTemporaryDir home;
    QTemporaryDir program;
    QString folder;
    QByteArray savedConfig;
    Timeline timeline;
    FakePacer pacer{timeline};
    FakeSound sound{timeline};
    FakeDialogs dialogs{timeline};
    FakeBanners banners{timeline};
    SeededRandom random{12345};
    int terminated = 0;
    QStringList links;
    QStringList browsed;
    QList<AudienceBar> chart;
    std::unique_ptr<TForm1> form;
};
