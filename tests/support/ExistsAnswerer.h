#pragma once
// Answers the "file exists" question in tests instead of the dialog: records each question and
// replies from a queue of answers (Cancel when it is empty).

#include "transfer/frmFileExists.h"

#include <QList>

class ExistsAnswerer {
public:
    ExistsAnswerer() {
        m_previous = frmFileExists::SetAnswerer([this](const ExistsQuestion& question) {
            m_questions.append(question);
            return m_answers.isEmpty() ? ExistsAnswer{} : m_answers.takeFirst();
        });
    }
    ~ExistsAnswerer() { frmFileExists::SetAnswerer(m_previous); }

    void answerNext(ExistsAction action, bool sameForRest = false) {
        m_answers.append({action, sameForRest});
    }
    const QList<ExistsQuestion>& questions() const { return m_questions; }

private:
    ExistsAsker m_previous;
    QList<ExistsQuestion> m_questions;
    QList<ExistsAnswer> m_answers;
};
