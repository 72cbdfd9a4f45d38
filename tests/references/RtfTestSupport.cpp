#include "RtfTestSupport.h"

#include "references/RtfReader.h"

#include <QTest>
#include <QTextCursor>
#include <QTextFrame>
#include <QTextTable>

#include <utility>

namespace vemtaro::references::test {

std::unique_ptr<QTextDocument> read(const QByteArray& rtf)
{
    auto document = std::make_unique<QTextDocument>();
    if (!readRtf(rtf, *document))
        QTest::qFail("the data was not taken as RTF", __FILE__, __LINE__);
    return document;
}

QTextCharFormat formatOf(const QTextDocument& document, const QString& text)
{
    QTextCursor found = document.find(text);
    if (found.isNull())
        return QTextCharFormat();
    found.setPosition(found.selectionStart() + 1);
    return found.charFormat();
}

QString describe(const QTextCharFormat& format)
{
    const int underline = format.underlineStyle();
    const auto vertical = format.verticalAlignment();
    const QStringList families = format.fontFamilies().toStringList();
    const std::pair<bool, QString> properties[] = {
        {format.fontWeight() >= QFont::Bold, "bold"},
        {format.fontItalic(), "italic"},
        {underline != QTextCharFormat::NoUnderline, "underline:" + QString::number(underline)},
        {format.fontStrikeOut(), "strike"},
        {vertical == QTextCharFormat::AlignSuperScript, "super"},
        {vertical == QTextCharFormat::AlignSubScript, "sub"},
        {format.fontCapitalization() == QFont::AllUppercase, "caps"},
        {format.fontCapitalization() == QFont::SmallCaps, "smallcaps"},
        {!families.isEmpty(), "family:" + families.join(u',')},
        {format.hasProperty(QTextFormat::FontPointSize),
         "size:" + QString::number(format.fontPointSize())},
        {format.hasProperty(QTextFormat::ForegroundBrush),
         "fg:" + format.foreground().color().name()},
        {format.hasProperty(QTextFormat::BackgroundBrush),
         "bg:" + format.background().color().name()},
        {format.isAnchor(), "href:" + format.anchorHref()}};
    QStringList words;
    for (const auto& [present, word] : properties)
        if (present)
            words << word;
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
