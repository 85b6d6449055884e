// Drives the main window for scripts/screenshot.sh: connects to the demo server, lists both panes,
// starts a download and, while the transfer panel is up, runs the given capture command with the
// window's geometry appended ("WxH+X+Y"). Message boxes are answered OK and printed; the splash is
// skipped.
//   tovo-screenshot-driver HOST PORT USER PASSWORD LOCAL_FOLDER REMOTE_FILE DELAY_MS CAPTURE_COMMAND...
#include "app/frmMain.h"
#include "session/FtpSession.h"
#include "session/RemotePane.h"
#include "toolkit/DirListBox.h"
#include "toolkit/ListView.h"
#include "toolkit/WindowLayer.h"
#include "transfer/Transfers.h"

#include <QApplication>
#include <QProcess>
#include <QTimer>
#include <cstdio>

namespace {

bool g_captured = false;

void Capture(QWidget& window, const QStringList& command) {
    if (g_captured)
        return;
    g_captured = true;
    const QRect frame = window.frameGeometry();
    QStringList arguments = command.mid(1);
    arguments
        << QStringLiteral("%1x%2+%3+%4").arg(frame.width()).arg(frame.height()).arg(frame.x()).arg(frame.y());
    const int code = QProcess::execute(command.first(), arguments);
    std::fprintf(stderr, "capture command ended with %d\n", code);
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tovo FTP"));
    const QStringList args = QApplication::arguments();
    if (args.size() < 9) {
        std::fprintf(stderr,
                     "usage: %s HOST PORT USER PASSWORD LOCAL_FOLDER REMOTE_FILE DELAY_MS CAPTURE...\n",
                     argv[0]);
        return 2;
    }
    SetMsgBoxResponder([](const QString& text, int, const QString& title) {
        std::fprintf(stderr, "message box \"%s\": %s\n", qPrintable(title), qPrintable(text));
        return int(vbOK);
    });
    SetModalInterceptor([](QWidget*) {}); // no splash in the picture
    frmMain::SetEndProcess([] {});

    frmMain form;
    form.Form_Load();
    form.Dir1->SetPath(args[5]);

    FtpSession.Server = args[1].toStdString();
    FtpSession.Port = args[2].toInt();
    FtpSession.User = args[3].toStdString();
    FtpSession.Password = args[4].toStdString();
    FtpSession.Service = 1;
    form.remote().ConnectToServer();
    DoEvents();

    ListItem* row = nullptr;
    for (int index = 1; index <= form.lstRemoteFiles->Count() && !row; ++index)
        if (ListView::Text(form.lstRemoteFiles->Item(index)) == args[6])
            row = form.lstRemoteFiles->Item(index);
    const QStringList capture = args.mid(8);
    if (!row) {
        std::fprintf(stderr, "%s is not in the remote list; capturing the listing only\n",
                     qPrintable(args[6]));
        Capture(form, capture);
        return 1;
    }
    form.lstRemoteFiles->setFocus();
    form.lstRemoteFiles->SetSelectedItem(row);
    form.remote().lstRemoteFiles_ItemClick(row);

    // The download pumps the event loop every few milliseconds, so the timer fires while the panel is up.
    QTimer::singleShot(args[7].toInt(), &form, [&] {
        Capture(form, capture);
        form.transfers().cmdCancel_Click();
    });
    form.transfers().Picture1_Click();
    Capture(form, capture); // the transfer ended before the timer: the picture shows the listing
    return 0;
}
