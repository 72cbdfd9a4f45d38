#pragma once

#include <QList>
#include <QString>

namespace vemtaro::platform {

/// Message box styles and answers with the values the windows' code uses
/// (style 33 is vbOKCancel + vbQuestion).
enum MsgBoxStyle : int { vbOKOnly = 0, vbOKCancel = 1, vbQuestion = 32 };
enum MsgBoxAnswer : int { vbOK = 1, vbCancel = 2 };

/// The application's modal message box.
///
/// Tests answer boxes through the seam below instead of a person: once recording() is on, no
/// box is shown; each show() is recorded and answered from the queue of setNextAnswer(), or
/// with vbOK when the queue is empty.
class MessageBox {
public:
    /// The title a box carries when it has none of its own.
    static QString applicationTitle() { return QStringLiteral("vemtaro"); }

    /// Shows `prompt` modally and returns the answer (vbOK or vbCancel; closing the box
    /// answers vbCancel when it has a Cancel button, vbOK otherwise).
    static int show(const QString& prompt, int style = vbOKOnly, const QString& title = {});
    /// Shows "Error: " and `description` (OK only, the application's title): how a failure
    /// is told to the clerk.
    static void showError(const QString& description);

    struct Shown {
        QString prompt;
        int style;
        QString title; ///< as shown: the application title when none was given
    };

    static void setRecording(bool on);
    static void setNextAnswer(int answer);
    /// Boxes recorded since the last call, oldest first.
    static QList<Shown> takeShown();
};

} // namespace vemtaro::platform
