// The settings-file converter: UTF-8 in, Windows-1251 with CR LF out, nothing written on refusal.

#include "textencode.h"
#include "toolstest.h"

#include <QFileInfo>
#include <QTemporaryDir>

using namespace toolstest;

TEST(EncodeText, ConvertsEveryLineEndToCrLf)
{
    const EncodeOutcome out = EncodeToCp1251("\xEF\xBB\xBF" + u8(QStringLiteral("[ДЕМО]\nа=б\r\nв\rг")));
    ASSERT_TRUE(out.ok());
    EXPECT_EQ(out.bytes, w(u"[ДЕМО]\r\nа=б\r\nв\r\nг"));
}

TEST(EncodeText, RefusesWhatTheCodePageCannotHold)
{
    const EncodeOutcome out = EncodeToCp1251(u8(QStringLiteral("ok\n€ and ✓\n")));
    EXPECT_TRUE(out.bytes.isEmpty());
    EXPECT_EQ(FormatDiagnostics(QStringLiteral("in"), out.diagnostics),
              QStringLiteral("in:2: ошибка: символ «✓» (U+2713) не входит в кодировку Windows-1251\n"));
    EXPECT_FALSE(EncodeToCp1251("\xC4\xE0").ok()); // Windows-1251 bytes are not UTF-8
}

TEST(EncodeTool, WritesTheFileOrNothing)
{
    QTemporaryDir dir;
    writeBytes(dir.filePath("in.txt"), u8(QStringLiteral("[настройки]\nВедущий=\n")));
    ToolRun run = runTool("tallory-encode", {"in.txt", "out.ini"}, dir.path());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(readBytes(dir.filePath("out.ini")), w(u"[настройки]\r\nВедущий=\r\n"));

    writeBytes(dir.filePath("bad.txt"), u8(QStringLiteral("a\nb\n☃\n")));
    run = runTool("tallory-encode", {"bad.txt", "bad.ini"}, dir.path());
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err, u8(QStringLiteral("bad.txt:3: ошибка: символ «☃» (U+2603) не входит в кодировку Windows-1251\n")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("bad.ini")));
    EXPECT_EQ(runTool("tallory-encode", {"in.txt"}, dir.path()).exitCode, 2);
}
