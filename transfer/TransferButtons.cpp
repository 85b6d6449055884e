#include "toolkit/PictureBox.h"
#include "toolkit/WindowLayer.h"
#include "transfer/Transfers.h"

#include <QDir>
#include <QLabel>
#include <algorithm>

namespace {

const QString DownloadNormalImage = QStringLiteral("12.ico");
const QString DownloadHoverImage = QStringLiteral("1.ICO");
const QString UploadNormalImage = QStringLiteral("last2.ico");
const QString UploadHoverImage = QStringLiteral("last.ico");

// The icon files lie beside the executable; their names are matched without regard to case.
void loadButtonImage(PictureBox* box, const QString& fileName) {
    const QDir folder(AppPath());
    QString path = folder.filePath(fileName);
    if (!QFileInfo::exists(path)) {
        const QStringList entries = folder.entryList(QDir::Files | QDir::Hidden);
        const auto match = std::find_if(entries.begin(), entries.end(), [&](const QString& entry) {
            return entry.compare(fileName, Qt::CaseInsensitive) == 0;
        });
        if (match == entries.end())
            return; // a missing file leaves the image as it was
        path = folder.filePath(*match);
    }
    box->LoadPicture(path);
}

// Lights the button while the pointer is over it. The capture lets the button see the move that
// leaves it; that move always gives the capture back, so the window never stays captured.
void trackHover(PictureBox* box, bool live, double x, double y, const QString& normal, const QString& hover) {
    if (box->HasCapture()) {
        if (x < 0 || y < 0 || x > box->WidthTwips() || y > box->HeightTwips()) {
            PictureBox::ReleaseCapture();
            loadButtonImage(box, normal);
        }
        return;
    }
    if (!live)
        return;
    loadButtonImage(box, hover);
    box->SetCapture();
}

} // namespace

void Transfers::LoadNormalButtonImages() {
    loadButtonImage(m_view.Picture1, DownloadNormalImage);
    loadButtonImage(m_view.Picture2, UploadNormalImage);
}

void Transfers::Picture1_MouseMove(int, int, double x, double y) {
    // Files and folders alike; the parent row is never an entry.
    const bool live = !m_panes.selectedRemote().empty() && m_window.lastFocus() == QLatin1String("remote");
    trackHover(m_view.Picture1, live, x, y, DownloadNormalImage, DownloadHoverImage);
}

void Transfers::Picture2_MouseMove(int, int, double x, double y) {
    const bool live = !m_panes.selectedLocal().empty() &&
                      m_window.lastFocus() == QLatin1String("listview1") && !m_panes.remoteDir().empty();
    trackHover(m_view.Picture2, live, x, y, UploadNormalImage, UploadHoverImage);
}

void Transfers::Picture1_MouseUp(int, int, double, double) {
    m_view.Picture1->SetCapture();
}

void Transfers::Picture2_MouseUp(int, int, double, double) {
    m_view.Picture2->SetCapture();
}
