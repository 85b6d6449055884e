// A listing of 1,000,000 entries from a scripted server in a child process (so that its copy of the
// listing does not count here): the FTP layer alone (find first / find next), then the whole
// connect and a refresh into lstRemoteFiles of an offscreen main window. Time and peak memory of
// this process. Goals: layer under 2 s, into the pane under 5 s, peak under 512 MiB.

#include "app/frmMain.h"
#include "session/FtpSession.h"
#include "session/NeededSubs.h"
#include "session/RemotePane.h"
#include "session/WinInetAPI.h"
#include "tests/support/MainWindowHarness.h"
#include "tests/support/MsgBoxRecorder.h"
#include "tests/support/ScriptedFtpServer.h"
#include "toolkit/ListView.h"
#include "toolkit/WindowLayer.h"

#include <QApplication>
#include <QElapsedTimer>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int EntryCount = 1'000'000;

std::string makeListing() {
    std::string listing;
    listing.reserve(static_cast<std::size_t>(EntryCount) * 64);
    char line[128];
    for (int index = 0; index < EntryCount; ++index) {
        const bool folder = index % 100 == 0;
        std::snprintf(line, sizeof line, "%s   1 ftp      ftp      %9d %s %2d  20%02d file%07d.%s\r\n",
                      folder ? "drwxr-xr-x" : "-rw-r--r--", index * 37 % 100000000, index % 2 ? "Jan" : "Jul",
                      index % 28 + 1, index % 20, index, index % 3 ? "txt" : "zip");
        listing += line;
    }
    return listing;
}

// Starts the server in a child; its port, or 0.
int startServer(pid_t& child) {
    int pipeEnds[2];
    if (::pipe(pipeEnds) != 0)
        return 0;
    child = ::fork();
    if (child == 0) {
        ScriptedFtpServer server;
        server.on("LIST", Transfer(makeListing()));
        int port = server.start() ? server.port() : 0;
        (void)!::write(pipeEnds[1], &port, sizeof port);
        ::pause();
        ::_exit(0);
    }
    int port = 0;
    if (child < 0 || ::read(pipeEnds[0], &port, sizeof port) != sizeof port)
        return 0;
    return port;
}

long peakKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind("VmHWM:", 0) == 0)
            return std::stol(line.substr(6));
    return -1;
}

void resetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

double seconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// Processor time of this process (the server runs in the child), so a busy machine shows too.
double cpuSeconds() {
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
}

} // namespace

int main(int argc, char** argv) {
    pid_t child = 0;
    const int port = startServer(child);
    if (port == 0) {
        std::fprintf(stderr, "scripted server did not start\n");
        return 1;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    MsgBoxRecorder messages;
    messages.allowUnexpected(true); // the scripted server takes one control connection: no command line
    MainWindowHarness window;
    frmMain& form = window.form();
    // Shown, so the pane lays out and paints its rows as a user would see them.
    form.show();
    DoEvents();
    const long startKiB = peakKiB();

    QElapsedTimer timer;
    timer.start();
    double cpu = cpuSeconds();
    const HINTERNET session = InternetOpenA("bench", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
    const HINTERNET connection = InternetConnectA(session, "127.0.0.1", port, "user", "secret",
                                                  INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 0);
    WIN32_FIND_DATAA data{};
    const HINTERNET find = FtpFindFirstFileA(connection, "/*.*", &data, INTERNET_FLAG_RELOAD, 0);
    int entries = find != 0 ? 1 : 0;
    while (find != 0 && InternetFindNextFileA(find, &data))
        ++entries;
    InternetCloseHandle(session);
    const double layer = seconds(timer);
    const double layerCpu = cpuSeconds() - cpu;
    const long layerKiB = peakKiB();

    timer.restart();
    cpu = cpuSeconds();
    window.connectTo(port);
    DoEvents();
    const double connect = seconds(timer);
    const double connectCpu = cpuSeconds() - cpu;
    const int connectRows = form.lstRemoteFiles->Count();
    const long connectKiB = peakKiB();

    resetPeak();
    timer.restart();
    cpu = cpuSeconds();
    form.remote().ListRemoteFiles();
    DoEvents();
    const double refresh = seconds(timer);
    const double refreshCpu = cpuSeconds() - cpu;
    const long refreshKiB = peakKiB();

    std::printf("start: peak %.0f MiB\n", static_cast<double>(startKiB) / 1024);
    std::printf("FTP layer, %d entries (server time included): %.2f s, processor %.2f s (goal < 2 s), peak "
                "%.0f MiB\n",
                entries, layer, layerCpu, static_cast<double>(layerKiB) / 1024);
    // The scripted server serves one control connection: the command line waits out its time-out.
    std::printf(
        "connect and list into lstRemoteFiles, %d rows: %.2f s (the command line's time-out included), "
        "processor %.2f s, peak %.0f MiB\n",
        connectRows, connect, connectCpu, static_cast<double>(connectKiB) / 1024);
    std::printf("refresh into lstRemoteFiles, %d rows: %.2f s, processor %.2f s (goal < 5 s), peak %.0f MiB "
                "(goal < 512 MiB)\n",
                form.lstRemoteFiles->Count(), refresh, refreshCpu, static_cast<double>(refreshKiB) / 1024);
    InternetCloseHandle(FtpSession.hConnect);
    InternetCloseHandle(FtpSession.hInternet);
    ::kill(child, SIGTERM);
    ::waitpid(child, nullptr, 0);
    return entries == EntryCount && connectRows == EntryCount ? 0 : 1;
}
