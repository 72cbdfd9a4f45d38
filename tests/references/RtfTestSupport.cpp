#include "RtfTestSupport.h"

#include "references/RtfReader.h"

#include <QTest>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextFrame>
#include <QTextTable>

namespace vemtaro::references::test {

QByteArray withHeader(const QByteArray& body)
{
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0"
           "{\\fonttbl{\\f0\\fswiss\\fcharset0 Arial;}{\\f1\\fmodern\\fcharset0 Courier New;}}"
           "{\\colortbl;\\red255\\green0\\blue0;\\red255\\green255\\blue0;\\red0\\green0\\blue255;}"
           "\n" +
           body + "}";
}

std::unique_ptr<QTextDocument> read(const QByteArray& rtf)
{
    auto document = std::make_unique<QTextDocument>();
    if (!readRtf(rtf, *document))
        QTest::qFail("the data was not taken as RTF", __FILE__, __LINE__);
    return document;
}

QStringList blockTexts(const QTextDocument& document)
{
    QStringList texts;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        texts.append(block.text());
    return texts;
}

QTextCharFormat formatOf(const QTextDocument& document, const QString& text)
{
    QTextCursor found = document.find(text);
    if (found.isNull())
        return QTextCharFormat();
    found.setPosition(found.selectionStart() + 1);
    return found.charFormat();
}

QTextBlockFormat blockFormatOf(const QTextDocument& document, const QString& text)
{
    const QTextCursor found = document.find(text);
    return found.isNull() ? QTextBlockFormat() : found.block().blockFormat();
}

QString describe(const QTextCharFormat& format)
{
    QStringList words;
    if (format.fontWeight() >= QFont::Bold)
        words << QStringLiteral("bold");
    if (format.fontItalic())
        words << QStringLiteral("italic");
    if (format.underlineStyle() != QTextCharFormat::NoUnderline)
        words << QStringLiteral("underline:%1").arg(int(format.underlineStyle()));
    if (format.fontStrikeOut())
        words << QStringLiteral("strike");
    if (format.verticalAlignment() == QTextCharFormat::AlignSuperScript)
        words << QStringLiteral("super");
    if (format.verticalAlignment() == QTextCharFormat::AlignSubScript)
        words << QStringLiteral("sub");
    if (format.fontCapitalization() == QFont::AllUppercase)
        words << QStringLiteral("caps");
    if (format.fontCapitalization() == QFont::SmallCaps)
        words << QStringLiteral("smallcaps");
    const QStringList families = format.fontFamilies().toStringList();
    if (!families.isEmpty())
        words << QStringLiteral("family:") + families.join(u',');
    if (format.hasProperty(QTextFormat::FontPointSize))
        words << QStringLiteral("size:%1").arg(format.fontPointSize());
    if (format.hasProperty(QTextFormat::ForegroundBrush))
        words << QStringLiteral("fg:") + format.foreground().color().name();
    if (format.hasProperty(QTextFormat::BackgroundBrush))
        words << QStringLiteral("bg:") + format.background().color().name();
    if (format.isAnchor())
        words << QStringLiteral("href:") + format.anchorHref();
    return words.join(u' ');
}

QList<QTextTable*> tables(const QTextDocument& document)
{
    QList<QTextTable*> found;
    for (QTextFrame* frame : document.rootFrame()->childFrames())
        if (auto* table = qobject_cast<QTextTable*>(frame))
            found.append(table);
    return found;
}

QString cellText(QTextTable* table, int row, int column)
{
    const QTextTableCell cell = table->cellAt(row, column);
    QTextCursor cursor = cell.firstCursorPosition();
    cursor.setPosition(cell.lastCursorPosition().position(), QTextCursor::KeepAnchor);
    return cursor.selectedText().replace(QChar::ParagraphSeparator, u'\n');
}

} // namespace vemtaro::references::test
