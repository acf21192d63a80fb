#pragma once

#include <QByteArray>

class QTextDocument;

// A reader for the common subset of the rich-text format as word processors
// write it: groups, \par, \line, \tab, \b, \i, \ul, \fs, \cf with the colour
// table, \'hh in Windows-1251, \uN with its fallback; destinations such as
// the font table, the stylesheet, pictures and \* groups are skipped.
// Bounded in nesting and size: anything it cannot read gives false.

// True when the text is in that format (it starts with "{\rtf").
bool IsRichText(const QByteArray &text);
// Builds the document from the text; false (document unspecified) when the
// text is not in that format, is nested deeper than 100 groups, is longer
// than 8 MB or is damaged.
bool ReadRichText(const QByteArray &text, QTextDocument &document);
// The viewer's content: formatted when readable as rich text, else the
// Windows-1251 text as it stands (CR LF shown as line breaks).
void LoadMailContent(QTextDocument &document, const QByteArray &text);
