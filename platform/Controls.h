#pragma once

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

class QAction;
class QKeyEvent;
class QMenu;

namespace vemtaro::platform {

/// The character code a key filter sees for a typed key: the character's code (the 16-bit
/// unit), 8 for Backspace, 13 for Enter; 0 for a key that types no character (arrows, Tab,
/// Delete, shortcuts), which no filter sees.
int keyAsciiOf(const QKeyEvent* event);

/// The events a text box raises, as hooks a window sets. All run synchronously on the GUI
/// thread: Change runs before the text setting that caused it returns, whether the clerk typed
/// or code set the text; setting a box to the text it already holds raises nothing.
/// KeyPress receives the character code by reference: setting it to 0 discards the key,
/// another value types that character instead.
class TextControl {
public:
    virtual ~TextControl() = default;

    std::function<void(int& keyAscii)> KeyPress;
    std::function<void()> Change;
    std::function<void()> GotFocus;
    std::function<void()> LostFocus;

    virtual QString text() const = 0;
    virtual void setText(const QString& text) = 0;
    virtual int selStart() const = 0;
    /// Puts the caret at `start` with nothing selected.
    virtual void setSelStart(int start) = 0;
    /// Selects `length` characters from the caret position set with setSelStart().
    virtual void setSelLength(int length) = 0;
    virtual QWidget* widget() = 0;

protected:
    /// Runs KeyPress for `event`; true when the event was consumed (discarded or replaced).
    bool filterKey(QKeyEvent* event);
    /// Types `text` one character at a time through KeyPress, as if the clerk had typed it;
    /// characters that type nothing (line breaks, controls) are skipped.
    void typeThroughFilter(const QString& text);
    virtual void typeCharacter(QChar c) = 0;
};

/// A Qt editor widget raising the text box events: KeyPress before the widget takes a key,
/// GotFocus and LostFocus after the focus moved, Change on each change of its text.
template <class Editor> class TextControlOf : public Editor, public TextControl {
public:
    explicit TextControlOf(QWidget* parent) : Editor(parent)
    {
        QObject::connect(this, &Editor::textChanged, this, [this] {
            if (Change)
                Change();
        });
    }
    QWidget* widget() override { return this; }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (!filterKey(event))
            Editor::keyPressEvent(event);
    }
    void focusInEvent(QFocusEvent* event) override
    {
        Editor::focusInEvent(event);
        if (GotFocus)
            GotFocus();
    }
    void focusOutEvent(QFocusEvent* event) override
    {
        Editor::focusOutEvent(event);
        if (LostFocus)
            LostFocus();
    }
};

/// A single-line text box with no length limit of its own. A selection that GotFocus makes
/// when a click gives the box the focus survives that click, so that what the clerk types next
/// replaces it. In a box with a KeyPress filter, text pasted (keys, context menu, middle click)
/// or dropped passes through the filter as if typed, so that the filter cannot be got round.
class TextBox : public TextControlOf<QLineEdit> {
public:
    explicit TextBox(QWidget* parent = nullptr);
    QString text() const override { return QLineEdit::text(); }
    /// Setting the text puts the caret at its start, unless the Change handler placed it.
    void setText(const QString& text) override;
    int selStart() const override { return cursorPosition(); }
    void setSelStart(int start) override;
    void setSelLength(int length) override { setSelection(cursorPosition(), length); }

    /// From now on, whenever the text is wider than the box, its type shrinks half a point at
    /// a time (down to 6 points) until the whole text shows; it grows back to the box's own
    /// size, that of its font now, when the text fits again.
    void shrinkToFit();

    /// The Paste entry of a context menu made by createStandardContextMenu(), or null.
    static QAction* pasteAction(const QMenu* menu);

protected:
    void typeCharacter(QChar c) override { insert(QString(c)); }
    void focusInEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void fitText();
    /// Whether pasted or dropped text must go through the KeyPress filter.
    bool filtersPastes() const { return KeyPress && !isReadOnly(); }

    int m_settingText = 0;             ///< depth of setText() calls under way
    bool m_caretPlaced = false;        ///< a handler placed the caret while the text was being set
    bool m_keepFocusSelection = false; ///< the click that gave the focus must not undo it
    qreal m_ownPoints = 0;             ///< the box's own type size when it shrinks to fit, else 0
};

/// A multi-line text box; Tab moves the focus on, as in every other box.
class MultiLineTextBox : public TextControlOf<QPlainTextEdit> {
public:
    explicit MultiLineTextBox(QWidget* parent = nullptr);
    QString text() const override { return toPlainText(); }
    void setText(const QString& text) override;
    int selStart() const override { return textCursor().position(); }
    void setSelStart(int start) override;
    void setSelLength(int length) override;

protected:
    void typeCharacter(QChar c) override { insertPlainText(QString(c)); }
};

/// A command button; Click runs on a mouse click, Space, Enter while it has the focus, and
/// when its window presses it as the default button. The caption wraps onto further lines
/// when it is wider than the button; a picture, when set, stands above the caption.
class CommandButton : public QPushButton {
public:
    explicit CommandButton(const QString& caption, QWidget* parent = nullptr);
    std::function<void()> Click;

protected:
    void paintEvent(QPaintEvent* event) override;
};

/// An option button; Click runs when it becomes the selected one of its group.
class OptionButton : public QRadioButton {
public:
    explicit OptionButton(const QString& caption, QWidget* parent = nullptr);
    std::function<void()> Click;
};

/// An editable combo box whose text is read and set like a text box's.
class ComboBox : public QComboBox {
public:
    explicit ComboBox(QWidget* parent = nullptr);
    QString text() const { return currentText(); }
    void setText(const QString& text)
    {
        setEditText(text);
        if (lineEdit())
            lineEdit()->setCursorPosition(0);
    }
};

/// A label drawn on its window's background.
class Label : public QLabel {
public:
    explicit Label(const QString& caption, QWidget* parent = nullptr);
};

/// A captioned frame grouping option buttons. The caption stands in a gap of the border,
/// whose top edge runs through the caption's middle, so that the controls placed in the frame
/// have its whole height below the caption.
class Frame : public QGroupBox {
public:
    explicit Frame(const QString& caption, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

/// A straight line drawn on its window, horizontal or vertical, given by its two ends in twips
/// relative to the window's client area.
class Line : public QWidget {
public:
    Line(int x1, int y1, int x2, int y2, int width, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int m_width;
};

} // namespace vemtaro::platform
