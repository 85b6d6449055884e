#include "help/frmAbout.h"

#include "toolkit/Images.h"
#include "toolkit/PictureBox.h"
#include "toolkit/WindowLayer.h"

#include <QEvent>
#include <QFont>
#include <QFrame>
#include <QPainter>
#include <QPixmap>
#include <QTimer>

namespace {
constexpr double ClientWidth = 4350;
constexpr double ClientHeight = 4050;
} // namespace

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About Tovo FTP"));
    setWindowIcon(Images::WindowIcon());
    setFixedSize(PixelsX(ClientWidth), PixelsY(ClientHeight));

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::Box);
    Frame1->setFrameShadow(QFrame::Sunken);
    PlaceTwips(Frame1, 0, -80, 4335, 4140);
    Frame1->installEventFilter(this);

    Picture1 = new PictureBox(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    PlaceTwips(Picture1, 1560, 1320, 1455, 1455);
    Picture1->setAlignment(Qt::AlignCenter);
    Picture1->setPixmap(Images::AboutPicture());

    Picture2 = new PictureBox(this);
    Picture2->setObjectName(QStringLiteral("Picture2"));
    PlaceTwips(Picture2, 1440, 360, 1815, 855);
    QFont font(QStringLiteral("Arial"));
    font.setPointSizeF(20.25);
    Picture2->setFont(font);

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(7000);

    connect(Picture1, &PictureBox::Click, this, &frmAbout::Picture1_Click);
    connect(Picture2, &PictureBox::Click, this, &frmAbout::Picture2_Click);
    connect(Timer1, &QTimer::timeout, this, &frmAbout::Timer1_Timer);
    Form_Load();
}

void frmAbout::Form_Load() {
    const auto left = static_cast<long long>(ScreenWidth() - TwipsX(width())) / 2;
    const auto top = static_cast<long long>(ScreenHeight() - TwipsY(height())) / 2;
    move(PixelsX(static_cast<double>(left)), PixelsY(static_cast<double>(top)));
    printProductName();
    Timer1->start();
}

void frmAbout::printProductName() {
    QPixmap canvas(Picture2->size());
    canvas.fill(palette().color(QPalette::Window));
    QPainter painter(&canvas);
    painter.setFont(Picture2->font());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(canvas.rect(), Qt::AlignCenter, QStringLiteral("Tovo FTP"));
    painter.end();
    Picture2->setPixmap(canvas);
    Picture2->setAccessibleName(QStringLiteral("Tovo FTP"));
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Frame1 && event->type() == QEvent::MouseButtonRelease)
        Frame1_Click();
    return QDialog::eventFilter(watched, event);
}

void frmAbout::Frame1_Click() {
    close();
}

void frmAbout::Picture1_Click() {
    close();
}

void frmAbout::Picture2_Click() {
    close();
}

void frmAbout::Timer1_Timer() {
    Timer1->stop();
    close();
}
