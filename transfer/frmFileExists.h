#pragma once
// The question put when a transfer's target already exists and the setting is Ask: both files'
// sizes and dates, and what to do with this file (and, when checked, with the rest of the transfer).

#include "transfer/ExistsPolicy.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

class frmFileExists : public QDialog {
    Q_OBJECT
public:
    explicit frmFileExists(const ExistsQuestion& question, QWidget* parent = nullptr);

    QLabel* lblName = nullptr;
    QLabel* lblExisting = nullptr;
    QLabel* lblNew = nullptr;
    QPushButton* cmdReplace = nullptr;
    QPushButton* cmdResume = nullptr; // only when resuming is offered
    QPushButton* cmdKeepBoth = nullptr;
    QPushButton* cmdSkip = nullptr;
    QPushButton* cmdCancel = nullptr;
    QCheckBox* chkSameForRest = nullptr;

    // Cancel until a button is pressed; Escape and closing the window leave it so.
    ExistsAnswer Answer() const;

    // The program's asker: the answerer when one is set, else the dialog shown modally.
    static ExistsAnswer Ask(const ExistsQuestion& question, QWidget* parent = nullptr);
    // Tests answer without a window; returns the previous answerer (an empty one shows the dialog).
    static ExistsAsker SetAnswerer(ExistsAsker answerer);

private:
    ExistsAction m_action = ExistsAction::Cancel;
};
