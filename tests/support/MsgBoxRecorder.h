#pragma once
// Answers the program's message boxes in tests: records each one (text, style, title) and replies
// from a queue of answers. A message box that nobody expected fails the test at the end.

#include "toolkit/WindowLayer.h"

#include <QStringList>
#include <QTest>

class MsgBoxRecorder {
public:
    struct Call {
        QString text;
        int style;
        QString title;
    };

    // Installs itself as the responder until destroyed. Queued answers (vbYes, vbNo, ...) go to the next
    // boxes; others get OK (Yes for a Yes/No style) and count as unexpected unless allowUnexpected is set.
    MsgBoxRecorder() {
        m_previous = SetMsgBoxResponder([this](const QString& text, int style, const QString& title) {
            m_calls.append(Call{text, style, title});
            if (!m_answers.isEmpty())
                return m_answers.takeFirst();
            m_unexpected += m_allowUnexpected ? 0 : 1;
            if (!m_allowUnexpected)
                qWarning("unexpected message box: %s / %s", qPrintable(text), qPrintable(title));
            return int((style & 0x0F) == vbYesNo || (style & 0x0F) == vbYesNoCancel ? vbYes : vbOK);
        });
    }
    ~MsgBoxRecorder() {
        SetMsgBoxResponder(m_previous);
        if (m_unexpected > 0 && !QTest::currentTestFailed())
            QTest::qFail("a message box appeared that the test did not expect", __FILE__, __LINE__);
    }

    void answerNext(int button) { m_answers.append(button); }
    void allowUnexpected(bool allow = true) { m_allowUnexpected = allow; }

    const QList<Call>& calls() const { return m_calls; }
    QStringList texts() const {
        QStringList list;
        for (const Call& call : m_calls)
            list.append(call.text);
        return list;
    }
    void clear() {
        m_calls.clear();
        m_answers.clear();
        m_unexpected = 0;
    }

private:
    MsgBoxResponder m_previous;
    QList<Call> m_calls;
    QList<int> m_answers;
    int m_unexpected = 0;
    bool m_allowUnexpected = false;
};
