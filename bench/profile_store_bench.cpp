// Opens the connect dialog on a Profile.ini of 40,000 profiles and saves one more, as a user would.
#include "profiles/frmConnect.h"
#include "tests/support/NoSessionBus.h"
#include "tests/support/TestFiles.h"
#include "toolkit/ListView.h"
#include "toolkit/WindowLayer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    CutOffSessionBus(); // no keyring of the user's is touched
    QApplication app(argc, argv);
    constexpr int ProfileCount = 40000;
    constexpr int Runs = 3;

    QTemporaryDir folder;
    QByteArray text;
    for (int i = 0; i < ProfileCount; ++i)
        text += "[Site " + QByteArray::number(i) +
                "]\nLocation=host\nProtocol=FTP\nUsername=u\nPassword=\nPort=21\nTransfer=Passive\n\n";
    if (!WriteFileBytes(folder.filePath(QStringLiteral("Profile.ini")), text))
        return 1;
    SetAppPath(folder.path());

    double open = 1e9, save = 1e9;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        frmConnect dialog({});
        open = std::min(open, static_cast<double>(timer.nsecsElapsed()) / 1e9);
        dialog.txtProfile->setText(QStringLiteral("New %1").arg(run));
        dialog.txtServerLocation->setText(QStringLiteral("host"));
        dialog.txtUsername->setText(QStringLiteral("u"));
        dialog.txtPassword->setText(QStringLiteral("p"));
        timer.restart();
        dialog.cmdSave_Click();
        save = std::min(save, static_cast<double>(timer.nsecsElapsed()) / 1e9);
        if (dialog.lstProfile->Count() != ProfileCount + run + 1) {
            std::fprintf(stderr, "listed %d profiles\n", dialog.lstProfile->Count());
            return 1;
        }
    }
    std::printf("%d profiles: open the dialog best %.3f s, save one best %.3f s over %d runs\n", ProfileCount,
                open, save, Runs);
    return 0;
}
