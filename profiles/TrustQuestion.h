#pragma once
// What a server question about trust has in common (a certificate, a host key): the problem, the
// facts, and "Trust always", "Trust this time" and "Cancel", where Enter and Escape trust nothing.

#include <QDialog>

class QHBoxLayout;
class QLabel;
class QPushButton;

class TrustQuestion : public QDialog {
    Q_OBJECT
public:
    // In the order of the engine's decisions, which convert to it one to one.
    enum class Choice { Refuse, TrustOnce, TrustAlways };

    QLabel* lblProblem = nullptr;
    QLabel* lblDetails = nullptr;
    QPushButton* cmdTrustAlways = nullptr;
    QPushButton* cmdTrustOnce = nullptr;
    QPushButton* cmdCancel = nullptr;

    Choice Chosen() const { return m_choice; }

protected:
    TrustQuestion(const QString& objectName, const QString& title, QWidget* parent);
    // Closes the question with that choice.
    void Choose(Choice choice);
    // Shows the question modally with the normal pointer; Refuse when it is closed otherwise.
    Choice AskModally();
    // Further buttons go in front of Cancel.
    QHBoxLayout* buttonRow = nullptr;

private:
    Choice m_choice = Choice::Refuse;
};
