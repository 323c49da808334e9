#pragma once
// Helpers of the import tests: the fixtures, and an outcome as lines that read well in a failure.

#include "importer.h"
#include "toolstest.h"

namespace importtest {

/// The bytes of a fixture under tests/data/import.
inline QByteArray fixture(const char *name)
{
    return toolstest::readBytes(QStringLiteral(TALLORY_TEST_DATA "/import/") + QString::fromUtf8(name));
}

/// The questions taken, one a line: "line level: question|right|wrong|wrong|wrong|illustration",
/// followed by " [remark; remark]" when something of the question was not carried over.
inline QStringList taken(const ImportOutcome &out)
{
    QStringList list;
    for (const ImportedQuestion &q : out.taken) {
        QString line = QStringLiteral("%1 %2: %3").arg(q.line).arg(q.level).arg(QuestionLine(q.fields));
        if (!q.remarks.isEmpty())
            line += QStringLiteral(" [%1]").arg(q.remarks.join(QStringLiteral("; ")));
        list.append(line);
    }
    return list;
}

/// The questions left out, one a line: "line «text»: reason".
inline QStringList rejected(const ImportOutcome &out)
{
    QStringList list;
    for (const ImportRejection &r : out.rejected)
        list.append(QStringLiteral("%1 «%2»: %3").arg(r.line).arg(r.text, r.reason));
    return list;
}

/// The bytes with every LF made CR LF.
inline QByteArray crlf(QByteArray bytes)
{
    return bytes.replace("\n", "\r\n");
}

} // namespace importtest
