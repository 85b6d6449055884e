// Listing 10,000 remote files: the whole ListRemoteFiles into lstRemoteFiles of an offscreen main
// window, and the FTP layer's part alone (find first / find next over the same directory).
// Goals: under 0.5 s for the whole listing, under 0.2 s for the layer.

#include "app/frmMain.h"
#include "session/FtpSession.h"
#include "session/NeededSubs.h"
#include "session/RemotePane.h"
#include "session/WinInetAPI.h"
#include "tests/support/FtpTestServer.h"
#include "tests/support/MainWindowHarness.h"
#include "toolkit/ListView.h"
#include "toolkit/WindowLayer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int FileCount = 10000;
constexpr int Runs = 9;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double fastest(const std::vector<double>& values) {
    return *std::min_element(values.begin(), values.end());
}

int layerOnly() {
    const HINTERNET listing = OpenListingConnection();
    WIN32_FIND_DATAA data{};
    const HINTERNET find =
        FtpFindFirstFileA(listing, "/*.*", &data, INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    int entries = find != 0 ? 1 : 0;
    while (find != 0 && InternetFindNextFileA(find, &data))
        ++entries;
    InternetCloseHandle(find);
    InternetCloseHandle(listing);
    return entries;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    FtpTestServer server;
    if (!server.start()) {
        std::fprintf(stderr, "FTP test server did not start: %s\n", qPrintable(server.error()));
        return 1;
    }
    for (int index = 0; index < FileCount; ++index) {
        QFile file(server.path(
            QStringLiteral("file%1.%2").arg(index, 5, 10, QLatin1Char('0')).arg(index % 3 ? "txt" : "zip")));
        if (!file.open(QIODevice::WriteOnly))
            return 1;
        file.write("x");
    }

    MainWindowHarness window; // the command line logs in on the same server, so no message appears
    frmMain& form = window.form();
    window.connectTo(server.port());
    if (FtpSession.hConnect == 0 || form.lstRemoteFiles->Count() != FileCount) {
        std::fprintf(stderr, "connect or first listing failed (%d rows)\n", form.lstRemoteFiles->Count());
        return 1;
    }

    std::vector<double> whole, layer;
    for (int run = 0; run < Runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        form.remote().ListRemoteFiles();
        DoEvents();
        whole.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
        if (form.lstRemoteFiles->Count() != FileCount)
            return 1;

        timer.restart();
        if (layerOnly() != FileCount)
            return 1;
        layer.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e9);
    }
    std::printf("remote listing of %d files into lstRemoteFiles: median %.3f s, best %.3f s (goal < 0.5 s)\n",
                FileCount, median(whole), fastest(whole));
    std::printf("FTP layer alone, server time included: median %.3f s, best %.3f s (goal < 0.2 s)\n",
                median(layer), fastest(layer));
    InternetCloseHandle(FtpSession.hConnect);
    InternetCloseHandle(FtpSession.hInternet);
    return 0;
}
