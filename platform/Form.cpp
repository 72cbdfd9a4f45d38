#include "Form.h"

#include "Controls.h"
#include "Look.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <algorithm>

namespace vemtaro::platform {

Form::Form(QWidget* parent, Qt::WindowFlags flags) : QWidget(parent, flags)
{
    setAttribute(Qt::WA_DeleteOnClose);
    qApp->installEventFilter(this);
}

Form::~Form()
{
    qApp->removeEventFilter(this);
}

QList<QWidget*> Form::controls() const
{
    return findChildren<QWidget*>();
}

void Form::setTabOrderByIndex(std::vector<std::pair<int, QWidget*>> controls)
{
    std::stable_sort(controls.begin(), controls.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (std::size_t i = 1; i < controls.size(); ++i)
        setTabOrder(controls[i - 1].second, controls[i].second);
    for (QWidget* control : this->controls())
        if (qobject_cast<QLabel*>(control) || qobject_cast<QGroupBox*>(control))
            control->setFocusPolicy(Qt::NoFocus);
}

void Form::place(QWidget* control, int left, int top, int width, int height)
{
    control->setGeometry(twipsRect(left, top, width, height));
}

void Form::setClientSizeTwips(int width, int height)
{
    resize(twips(width), twips(height));
}

void Form::setBackColor(QColor color)
{
    QPalette pal = palette();
    pal.setColor(QPalette::Window, color);
    setPalette(pal);
    setAutoFillBackground(true);
}

bool Form::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType())
        return false;
    auto* target = static_cast<QWidget*>(watched);
    if (target->window() != this)
        return false;
    // A key a child ignored travels on to its parents: see it once, at the focused control.
    QWidget* focus = QApplication::focusWidget();
    if (focus && target != focus && target->isAncestorOf(focus))
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    int code = keyAsciiOf(key);
    if (code == 13 && inCellEditor(target))
        return false; // it ends the cell's edit
    if (code == 13 && handleEnter(target))
        return true;
    if (m_keyPreview && code != 0) {
        Form_KeyPress(code);
        if (code == 0)
            return true;
    }
    return false;
}

bool Form::inCellEditor(const QWidget* target) const
{
    for (const QWidget* above = target->parentWidget(); above && above != this;
         above = above->parentWidget())
        if (qobject_cast<const QAbstractItemView*>(above))
            return true;
    return false;
}

bool Form::handleEnter(QWidget* target)
{
    if (auto* focused = dynamic_cast<CommandButton*>(target)) {
        if (focused->isEnabled())
            focused->click();
        return true;
    }
    if (m_defaultButton && m_defaultButton->isEnabled() && m_defaultButton->isVisible()) {
        m_defaultButton->click();
        return true;
    }
    return false;
}

void Form::closeEvent(QCloseEvent* event)
{
    Q_EMIT unloaded();
    QWidget::closeEvent(event);
}

void sendKeys(const QString& keys)
{
    const auto send = [](Qt::Key key, const QString& text) {
        QWidget* focus = QApplication::focusWidget();
        if (!focus)
            return;
        QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(focus, &press);
        QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(focus, &release);
    };
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (keys.mid(i, 5).compare(QLatin1String("{tab}"), Qt::CaseInsensitive) == 0) {
            send(Qt::Key_Tab, QStringLiteral("\t"));
            i += 4;
        } else {
            send(Qt::Key_unknown, QString(keys.at(i)));
        }
    }
}

} // namespace vemtaro::platform
