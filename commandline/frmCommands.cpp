#include "commandline/frmCommands.h"

#include "app/StatusBar.h"

#include <QTextEdit>

// Minimal window until the command window lands.
frmCommands::frmCommands(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("frmCommands"));
    UnixInfo = new QTextEdit(this);
    UnixInfo->setObjectName(QStringLiteral("UnixInfo"));
    setCentralWidget(UnixInfo);
}
