#pragma once
// Answers the program's message boxes in tests: records each one (text, style, title) and replies
// from a queue of answers. A message box that nobody expected fails the test at the end.

#include <QList>
#include <QString>

class MsgBoxRecorder {
public:
    struct Call {
        QString text;
        int style;
        QString title;
    };

    MsgBoxRecorder();  // installs itself as the responder
    ~MsgBoxRecorder(); // puts the previous responder back

    // The next message box is answered with this button (vbYes, vbNo, ...); unqueued boxes get OK
    // (or the first button of the style) and count as unexpected unless allowUnexpected is set.
    void answerNext(int button);
    void allowUnexpected(bool allow = true) { m_allowUnexpected = allow; }

    const QList<Call>& calls() const { return m_calls; }
    QStringList texts() const;
    void clear();

private:
    QList<Call> m_calls;
    QList<int> m_answers;
    int m_unexpected = 0;
    bool m_allowUnexpected = false;
};
