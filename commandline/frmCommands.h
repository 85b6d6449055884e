#pragma once
// The command window: owns the command line's socket and its transcript; closing only hides it.

#include "commandline/CommandSocket.h"

#include <QMainWindow>

class QTextEdit;
class QFrame;
class StatusBar;

class frmCommands : public QMainWindow {
    Q_OBJECT
public:
    explicit frmCommands(QWidget* parent = nullptr);

    QTextEdit* UnixInfo = nullptr;
    StatusBar* CHMODStatus = nullptr;
    QFrame* Line1 = nullptr;
    CommandSocket SockCMD;
    CommandSocket sockData;
};
