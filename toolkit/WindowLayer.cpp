#include "toolkit/WindowLayer.h"

#include "profiles/AppLocations.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>
#include <optional>

namespace {

MsgBoxResponder g_responder;
ModalInterceptor g_modalInterceptor;
int g_mousePointer = vbDefault;
QString g_appPath;

struct ScreenOverride {
    int widthPixels, heightPixels, twipsPerPixel;
};
std::optional<ScreenOverride> g_screen;

// The window's design sizes were made for an 8-point font at 96 dots per inch (15 twips per pixel).
// A larger desktop font or a denser screen gets fewer twips per pixel, so every control grows with
// its text; rounding down keeps the controls at least as large as the font needs.
constexpr double DesignFontPoints = 8;

int twipsPerPixelFromDpi(double dpi) {
    if (dpi <= 0)
        return 15;
    const QFont font = QApplication::font();
    double points = font.pointSizeF();
    if (points <= 0 && font.pixelSize() > 0)
        points = font.pixelSize() * 72.0 / dpi;
    const double fontScale = points > 0 ? points / DesignFontPoints : 1.0;
    return std::max(1, static_cast<int>(std::floor(1440.0 / dpi / fontScale + 1e-9)));
}

QMessageBox::Icon iconForStyle(int style) {
    switch (style & 0x70) {
    case vbCritical:
        return QMessageBox::Critical;
    case vbQuestion:
        return QMessageBox::Question;
    case vbExclamation:
        return QMessageBox::Warning;
    case vbInformation:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

} // namespace

QString ApplicationTitle() {
    return QStringLiteral("Tovo FTP");
}

int MsgBox(const QString& text, int style, const QString& title) {
    const QString caption = title.isEmpty() ? ApplicationTitle() : title;
    if (g_responder)
        return g_responder(text, style, caption);

    QMessageBox box(iconForStyle(style), caption, text);
    // Messages quote file and folder names, which must show as they are.
    box.setTextFormat(Qt::PlainText);
    switch (style & 0x0F) {
    case vbYesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case vbYesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    if ((style & vbDefaultButton2) != 0 && box.button(QMessageBox::No))
        box.setDefaultButton(QMessageBox::No);
    // A busy pointer must not hide the question from the user.
    const bool busy = QGuiApplication::overrideCursor() != nullptr;
    if (busy)
        QGuiApplication::setOverrideCursor(Qt::ArrowCursor);
    const int pressed = box.exec();
    if (busy)
        QGuiApplication::restoreOverrideCursor();
    switch (pressed) {
    case QMessageBox::Yes:
        return vbYes;
    case QMessageBox::No:
        return vbNo;
    case QMessageBox::Cancel:
        return vbCancel;
    default:
        return vbOK;
    }
}

MsgBoxResponder SetMsgBoxResponder(MsgBoxResponder responder) {
    std::swap(g_responder, responder);
    return responder;
}

void ShowModal(QWidget* form) {
    if (g_modalInterceptor) {
        g_modalInterceptor(form);
        return;
    }
    if (auto* dialog = qobject_cast<QDialog*>(form)) {
        dialog->exec();
        return;
    }
    // A plain window shown modally: run a local loop until it is hidden.
    form->setWindowModality(Qt::ApplicationModal);
    form->show();
    while (form->isVisible())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

ModalInterceptor SetModalInterceptor(ModalInterceptor interceptor) {
    std::swap(g_modalInterceptor, interceptor);
    return interceptor;
}

void DoEvents() {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
}

void SetMousePointer(int shape) {
    if (shape == g_mousePointer)
        return;
    if (g_mousePointer == vbHourglass && QGuiApplication::overrideCursor())
        QGuiApplication::restoreOverrideCursor();
    g_mousePointer = shape;
    if (shape == vbHourglass && qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

int MousePointer() {
    return g_mousePointer;
}

int ScreenTwipsPerPixelX() {
    if (g_screen)
        return g_screen->twipsPerPixel;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? twipsPerPixelFromDpi(screen->logicalDotsPerInchX()) : 15;
}

int ScreenTwipsPerPixelY() {
    if (g_screen)
        return g_screen->twipsPerPixel;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? twipsPerPixelFromDpi(screen->logicalDotsPerInchY()) : 15;
}

int ScreenWidth() {
    if (g_screen)
        return g_screen->widthPixels * g_screen->twipsPerPixel;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return (screen ? screen->geometry().width() : 1024) * ScreenTwipsPerPixelX();
}

int ScreenHeight() {
    if (g_screen)
        return g_screen->heightPixels * g_screen->twipsPerPixel;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return (screen ? screen->geometry().height() : 768) * ScreenTwipsPerPixelY();
}

void OverrideScreen(int widthPixels, int heightPixels, int twipsPerPixel) {
    g_screen = ScreenOverride{widthPixels, heightPixels, twipsPerPixel};
}

void ClearScreenOverride() {
    g_screen.reset();
}

int PixelsX(double twips) {
    return static_cast<int>(std::lround(twips / ScreenTwipsPerPixelX()));
}
int PixelsY(double twips) {
    return static_cast<int>(std::lround(twips / ScreenTwipsPerPixelY()));
}
double TwipsX(int pixels) {
    return static_cast<double>(pixels) * ScreenTwipsPerPixelX();
}
double TwipsY(int pixels) {
    return static_cast<double>(pixels) * ScreenTwipsPerPixelY();
}

void PlaceTwips(QWidget* widget, double left, double top, double width, double height) {
    widget->setGeometry(PixelsX(left), PixelsY(top), PixelsX(width), PixelsY(height));
}

namespace {

// Decided once: the executable does not move while it runs.
const AppLocations& ProgramLocations() {
    static const AppLocations where =
        ResolveAppLocations(QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString());
    return where;
}

} // namespace

QString AppPath() {
    if (g_appPath.isEmpty())
        return QFile::decodeName(ProgramLocations().ResourceDir.c_str());
    return g_appPath;
}

QString ProfileFolder() {
    if (g_appPath.isEmpty())
        return QFile::decodeName(ProgramLocations().ProfileDir.c_str());
    return g_appPath;
}

void SetAppPath(const QString& path) {
    g_appPath = path;
}
