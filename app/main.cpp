#include "app/frmMain.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tovo FTP"));
    frmMain form;
    form.Form_Load();
    return QApplication::exec();
}
