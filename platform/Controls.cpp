#include "Controls.h"

#include "Look.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QStylePainter>
#include <limits>
#include <qdrawutil.h>
#include <utility>

namespace vemtaro::platform {

int keyAsciiOf(const QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Delete:
        return 0;
    default:
        break;
    }
    if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return 0;
    const QString text = event->text();
    if (text.size() != 1 || !text.at(0).isPrint())
        return 0;
    return text.at(0).unicode();
}

bool TextControl::filterKey(QKeyEvent* event)
{
    int code = keyAsciiOf(event);
    if (code == 0 || !KeyPress)
        return false;
    const int typed = code;
    KeyPress(code);
    if (code == typed)
        return false;
    if (code != 0 && code != 8 && code != 13)
        typeCharacter(QChar(char16_t(code)));
    event->accept();
    return true;
}

void TextControl::typeThroughFilter(const QString& text)
{
    for (const QChar c : text) {
        if (!c.isPrint())
            continue;
        int code = c.unicode();
        KeyPress(code);
        if (code != 0 && code != 8 && code != 13)
            typeCharacter(QChar(char16_t(code)));
    }
}

TextBox::TextBox(QWidget* parent) : TextControlOf<QLineEdit>(parent)
{
    connect(this, &QLineEdit::textChanged, this, &TextBox::fitText);
    // Only the database's fields limit a text; an editor's own limit would cut it silently.
    setMaxLength(std::numeric_limits<int>::max());
}

void TextBox::setText(const QString& text)
{
    if (m_settingText == 0)
        m_caretPlaced = false;
    ++m_settingText;
    QLineEdit::setText(text);
    --m_settingText;
    if (m_settingText == 0 && !m_caretPlaced)
        setCursorPosition(0);
}

void TextBox::focusInEvent(QFocusEvent* event)
{
    TextControlOf<QLineEdit>::focusInEvent(event);
    m_keepFocusSelection = event->reason() == Qt::MouseFocusReason && hasSelectedText();
}

void TextBox::mousePressEvent(QMouseEvent* event)
{
    if (std::exchange(m_keepFocusSelection, false) && event->button() == Qt::LeftButton) {
        event->accept();
        return;
    }
    TextControlOf<QLineEdit>::mousePressEvent(event);
}

void TextBox::keyPressEvent(QKeyEvent* event)
{
    if (filtersPastes() && event->matches(QKeySequence::Paste)) {
        typeThroughFilter(QGuiApplication::clipboard()->text());
        event->accept();
        return;
    }
    TextControlOf<QLineEdit>::keyPressEvent(event);
}

void TextBox::mouseReleaseEvent(QMouseEvent* event)
{
    if (filtersPastes() && event->button() == Qt::MiddleButton &&
        QGuiApplication::clipboard()->supportsSelection()) {
        setCursorPosition(cursorPositionAt(event->position().toPoint()));
        typeThroughFilter(QGuiApplication::clipboard()->text(QClipboard::Selection));
        event->accept();
        return;
    }
    TextControlOf<QLineEdit>::mouseReleaseEvent(event);
}

void TextBox::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    if (filtersPastes()) {
        if (QAction* paste = pasteAction(menu)) {
            paste->disconnect();
            connect(paste, &QAction::triggered, this,
                    [this] { typeThroughFilter(QGuiApplication::clipboard()->text()); });
        }
    }
    menu->popup(event->globalPos());
}

QAction* TextBox::pasteAction(const QMenu* menu)
{
    // The line edit names its actions only by their (translated) captions.
    const QString caption = QLineEdit::tr("&Paste");
    for (QAction* action : menu->actions()) {
        if (action->text().startsWith(caption))
            return action;
    }
    return nullptr;
}

void TextBox::dropEvent(QDropEvent* event)
{
    if (filtersPastes() && event->mimeData()->hasText()) {
        setCursorPosition(cursorPositionAt(event->position().toPoint()));
        typeThroughFilter(event->mimeData()->text());
        event->acceptProposedAction();
        return;
    }
    TextControlOf<QLineEdit>::dropEvent(event);
}

void TextBox::setSelStart(int start)
{
    if (m_settingText > 0)
        m_caretPlaced = true;
    setCursorPosition(start);
}

void TextBox::shrinkToFit()
{
    m_ownPoints = font().pointSizeF();
    fitText();
}

void TextBox::resizeEvent(QResizeEvent* event)
{
    TextControlOf<QLineEdit>::resizeEvent(event);
    fitText();
}

void TextBox::fitText()
{
    if (m_ownPoints <= 0)
        return;
    QStyleOptionFrame option;
    initStyleOption(&option);
    const QMargins margins = textMargins();
    // A line edit keeps 2 pixels each side of its text, and 2 more for the caret.
    const int room = style()->subElementRect(QStyle::SE_LineEditContents, &option, this).width() -
                     margins.left() - margins.right() - 6;
    constexpr qreal smallest = 6;
    QFont fitted = font();
    fitted.setPointSizeF(m_ownPoints);
    while (QFontMetrics(fitted).horizontalAdvance(text()) > room && fitted.pointSizeF() > smallest)
        fitted.setPointSizeF(fitted.pointSizeF() - 0.5);
    if (fitted != font())
        setFont(fitted);
}

MultiLineTextBox::MultiLineTextBox(QWidget* parent) : TextControlOf<QPlainTextEdit>(parent)
{
    setTabChangesFocus(true);
}

void MultiLineTextBox::setText(const QString& text)
{
    if (text != toPlainText())
        setPlainText(text);
}

void MultiLineTextBox::setSelStart(int start)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(start);
    setTextCursor(cursor);
}

void MultiLineTextBox::setSelLength(int length)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(cursor.position() + length, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

CommandButton::CommandButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent)
{
    setAutoDefault(false);
    connect(this, &QPushButton::clicked, this, [this] {
        if (Click)
            Click();
    });
}

void CommandButton::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionButton option;
    initStyleOption(&option);
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButtonBevel, option);

    QRect area = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    if (!icon().isNull()) {
        const QSize size = iconSize();
        const QRect picture(area.center().x() - size.width() / 2, area.top() + 2, size.width(),
                            size.height());
        icon().paint(&painter, picture, Qt::AlignCenter,
                     isEnabled() ? QIcon::Normal : QIcon::Disabled);
        area.setTop(picture.bottom() + 1);
    }
    painter.drawItemText(area, Qt::AlignCenter | Qt::TextWordWrap | Qt::TextShowMnemonic, palette(),
                         isEnabled(), text(), QPalette::ButtonText);
}

OptionButton::OptionButton(const QString& caption, QWidget* parent) : QRadioButton(caption, parent)
{
    // Tab stops only at the selected button of a group; the arrows move within it.
    setFocusPolicy(Qt::ClickFocus);
    connect(this, &QRadioButton::toggled, this, [this](bool on) {
        setFocusPolicy(on ? Qt::StrongFocus : Qt::ClickFocus);
        if (on && Click)
            Click();
    });
}

ComboBox::ComboBox(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
}

Label::Label(const QString& caption, QWidget* parent) : QLabel(caption, parent)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

Frame::Frame(const QString& caption, QWidget* parent) : QGroupBox(caption, parent) {}

void Frame::paintEvent(QPaintEvent*)
{
    // The style's own group box puts its border below the caption, through the first control
    // laid out where the border was meant to be.
    QPainter painter(this);
    QRect caption;
    if (!title().isEmpty())
        caption = QRect(QPoint(6, 0), fontMetrics().size(Qt::TextShowMnemonic, title()))
                      .adjusted(-2, 0, 2, 0);
    QRect border = rect();
    border.setTop(caption.isNull() ? 0 : caption.center().y());
    painter.setClipRegion(QRegion(rect()) - caption);
    qDrawShadeRect(&painter, border, palette(), true); // etched
    painter.setClipping(false);
    style()->drawItemText(&painter, caption, Qt::AlignCenter | Qt::TextShowMnemonic, palette(),
                          isEnabled(), title(), QPalette::WindowText);
}

Line::Line(int x1, int y1, int x2, int y2, int width, QWidget* parent)
    : QWidget(parent), m_width(qMax(1, width))
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
    const QPoint from(twips(qMin(x1, x2)), twips(qMin(y1, y2)));
    const QPoint to(twips(qMax(x1, x2)), twips(qMax(y1, y2)));
    setGeometry(QRect(from, to).adjusted(0, 0, m_width - 1, m_width - 1));
}

void Line::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::WindowText));
}

} // namespace vemtaro::platform
