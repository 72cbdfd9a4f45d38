#pragma once

#include "Controls.h"

#include <QPointer>
#include <QWidget>
#include <utility>
#include <vector>

namespace vemtaro::platform {

/// A window of the application: the base of every form.
///
/// - Key preview: while on, the window sees each typed character (Form_KeyPress) before the
///   focused control does, and discards it by setting the code to 0.
/// - Enter: on a focused command button presses that button; otherwise presses the default
///   button while it is enabled and visible. Only when neither applies does Enter reach
///   Form_KeyPress and the focused control, as code 13.
/// - Controls are laid out in twips (place()), and walked in creation order (controls()).
/// - Closing a form destroys it (an unload): nothing survives a re-creation.
class Form : public QWidget {
    Q_OBJECT
public:
    explicit Form(QWidget* parent = nullptr, Qt::WindowFlags flags = {});
    ~Form() override;

    void setKeyPreview(bool on) { m_keyPreview = on; }
    void setDefaultButton(CommandButton* button) { m_defaultButton = button; }
    CommandButton* defaultButton() const { return m_defaultButton; }

    /// Every control of the window, depth first in creation order.
    QList<QWidget*> controls() const;

    /// Enables or disables every control of kind `Kind` (and touches no other kind).
    template <class Kind> void setEnabledOfKind(bool enabled)
    {
        for (QWidget* control : controls())
            if (auto* ofKind = dynamic_cast<Kind*>(control))
                dynamic_cast<QWidget*>(ofKind)->setEnabled(enabled);
    }

    /// Chains the focus through `controls` in the order of their tab indexes (the pairs'
    /// first members). Hidden and disabled controls are passed over when tabbing; labels and
    /// frames never take the focus.
    void setTabOrderByIndex(std::vector<std::pair<int, QWidget*>> controls);

    /// Positions `control` at left, top, width, height in twips.
    static void place(QWidget* control, int left, int top, int width, int height);
    /// Names `control` (its objectName) and positions it in twips; returns it.
    template <class Control>
    static Control* place(Control* control, const char* name, int left, int top, int width,
                          int height)
    {
        control->setObjectName(QString::fromLatin1(name));
        place(control, left, top, width, height);
        return control;
    }
    /// Sets the client area in twips.
    void setClientSizeTwips(int width, int height);
    /// Sets the window's background colour.
    void setBackColor(QColor color);

Q_SIGNALS:
    /// Emitted while the window is being unloaded (closed for good).
    void unloaded();

protected:
    /// Sees each typed character first while key preview is on; 0 discards it.
    virtual void Form_KeyPress(int& keyAscii) { Q_UNUSED(keyAscii); }
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    /// Whether `target` is the open editor of a grid cell, which takes its keys itself.
    bool inCellEditor(const QWidget* target) const;
    bool handleEnter(QWidget* target);

    bool m_keyPreview = false;
    QPointer<CommandButton> m_defaultButton;
};

/// Sends keystrokes to the focused control of the active window, as typed: "{tab}" for Tab,
/// any other character as itself. Runs synchronously.
void sendKeys(const QString& keys);

} // namespace vemtaro::platform
