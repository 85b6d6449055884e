#include "tests/support/MsgBoxRecorder.h"

#include "app/WindowLayer.h"

#include <QStringList>
#include <QtTest>

namespace {
MsgBoxResponder g_previous;
}

MsgBoxRecorder::MsgBoxRecorder() {
    g_previous = SetMsgBoxResponder([this](const QString& text, int style, const QString& title) {
        m_calls.append(Call{text, style, title});
        if (!m_answers.isEmpty())
            return m_answers.takeFirst();
        if (!m_allowUnexpected) {
            ++m_unexpected;
            qWarning("unexpected message box: %s / %s", qPrintable(text), qPrintable(title));
        }
        switch (style & 0x0F) {
        case vbYesNo:
        case vbYesNoCancel:
            return static_cast<int>(vbYes);
        default:
            return static_cast<int>(vbOK);
        }
    });
}

MsgBoxRecorder::~MsgBoxRecorder() {
    SetMsgBoxResponder(g_previous);
    if (m_unexpected > 0 && !QTest::currentTestFailed())
        QTest::qFail("a message box appeared that the test did not expect", __FILE__, __LINE__);
}

void MsgBoxRecorder::answerNext(int button) {
    m_answers.append(button);
}

QStringList MsgBoxRecorder::texts() const {
    QStringList list;
    for (const Call& call : m_calls)
        list.append(call.text);
    return list;
}

void MsgBoxRecorder::clear() {
    m_calls.clear();
    m_answers.clear();
    m_unexpected = 0;
}
