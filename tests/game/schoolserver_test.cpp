// The program's services reach for the school's server only where tallory.ini names one: without
// it no PostgreSQL driver is loaded and the window has no server guard to ask.

#include "formfixture.h"

#include "programservices.h"

#include <QFile>

namespace {

bool postgresDriverLoaded()
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libqsqlpsql");
}

class SchoolServerWiring : public FormFixture
{
protected:
    void SetUp() override
    {
        FormFixture::SetUp();
        // libpq reads no service file of the machine's own.
        saved = qgetenv("PGSERVICEFILE");
        qputenv("PGSERVICEFILE", QFile::encodeName(home.filePath(QStringLiteral("pg_service.conf"))));
    }
    void TearDown() override
    {
        qputenv("PGSERVICEFILE", saved);
        FormFixture::TearDown();
    }
    QByteArray saved;
};

// One test: the driver, once loaded by the second half, stays for the process.
TEST_F(SchoolServerWiring, OnlyAServerNamedInTheSettingsIsAskedAndItsDriverLoaded)
{
    writeSettings(u"[ТЕСТ]\r\nВопросник=lesson.faq\r\n");
    {
        ProgramServices program(folder, QSize(1024, 768));
        EXPECT_FALSE(program.services().askSchool);
        EXPECT_FALSE(postgresDriverLoaded());
    }
    writeSettings(u"[ТЕСТ]\r\nВопросник=lesson.faq\r\n[сервер]\r\nСлужба = nowhere\r\n");
    ProgramServices program(folder, QSize(1024, 768));
    const FormServices s = program.services();
    ASSERT_TRUE(s.askSchool);
    const SchoolAttempt answer = s.askSchool(QStringLiteral("ТЕСТ"), QStringLiteral("ПЕТРОВ"), false);
    EXPECT_FALSE(answer.verdict);
    EXPECT_TRUE(answer.problem.contains(QStringLiteral("nowhere"))) << answer.problem.toStdString();
}

} // namespace
