#pragma once
// Texts other quiz systems write with markup, made into the plain text a bank holds: what a
// reader of the page sees, on one line.

#include <QString>
#include <QStringList>

/// What a reader sees of an HTML text: tags gone, numeric and HTML 4 named entities decoded,
/// paragraphs and line breaks run into blanks, any kind of space a plain blank, invisible
/// characters (a soft hyphen, a zero-width space) gone. The file names of its pictures are
/// appended to images, since a bank line cannot carry them.
QString PlainFromHtml(const QString &html, QStringList &images);

/// A Markdown text with its emphasis markers (*, **, _, __) taken off; a lone "*" or a "_"
/// inside a word stays.
QString PlainFromMarkdown(const QString &text);
