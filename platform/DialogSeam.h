#pragma once

#include <QList>
#include <QQueue>
#include <utility>

namespace vemtaro::platform {

/// The test seam of a modal dialog, so that tests answer it instead of a person: while
/// recording, no dialog is shown; each question is kept as a `Question` and answered from the
/// queue of answers, or with the dialog's own fallback when the queue is empty.
template <class Question, class Answer> class DialogSeam {
public:
    /// The one seam of the dialog that asks `Question` and takes `Answer`.
    static DialogSeam& shared()
    {
        static DialogSeam instance;
        return instance;
    }

    bool recording() const { return m_recording; }
    /// Turns recording on or off, forgetting the queue and what was asked.
    void setRecording(bool on)
    {
        m_recording = on;
        m_answers.clear();
        m_asked.clear();
    }
    void enqueue(Answer answer) { m_answers.enqueue(std::move(answer)); }
    /// Keeps `question` and gives the next queued answer, or `fallback`.
    Answer answer(Question question, Answer fallback)
    {
        m_asked.append(std::move(question));
        return m_answers.isEmpty() ? std::move(fallback) : m_answers.dequeue();
    }
    /// What was asked since the last call, oldest first.
    QList<Question> take() { return std::exchange(m_asked, {}); }

private:
    bool m_recording = false;
    QQueue<Answer> m_answers;
    QList<Question> m_asked;
};

} // namespace vemtaro::platform
