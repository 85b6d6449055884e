#pragma once
// The thin window layer the forms rely on: message boxes that tests can answer, modal shows that
// tests can intercept, the message pump, the mouse pointer, the screen and twips conversions.

#include <QString>
#include <functional>

class QWidget;

// Message box styles (buttons + icon) and the buttons it returns.
enum MsgBoxStyle : int {
    vbOKOnly = 0,
    vbYesNoCancel = 3,
    vbYesNo = 4,
    vbCritical = 16,
    vbQuestion = 32,
    vbExclamation = 48,
    vbInformation = 64,
    vbDefaultButton2 = 256 // the second button (No) takes Enter
};
enum MsgBoxResult : int { vbOK = 1, vbCancel = 2, vbYes = 6, vbNo = 7 };

// Shown when a message box is given no title.
QString ApplicationTitle();

// Shows a modal message box and returns the button pressed. With a responder installed, the
// responder answers instead and no window appears.
int MsgBox(const QString& text, int style = vbOKOnly, const QString& title = QString());
using MsgBoxResponder = std::function<int(const QString& text, int style, const QString& title)>;
MsgBoxResponder SetMsgBoxResponder(MsgBoxResponder responder); // returns the previous one

// Shows a form modally (the call returns when it closes). An interceptor, when installed, is
// given the form instead; it may drive it and close it.
void ShowModal(QWidget* form);
using ModalInterceptor = std::function<void(QWidget* form)>;
ModalInterceptor SetModalInterceptor(ModalInterceptor interceptor);

// One pump of the event loop: handles every pending event, then returns.
void DoEvents();

enum MousePointerShape : int { vbDefault = 0, vbHourglass = 11 };
void SetMousePointer(int shape);
int MousePointer();

// Screen geometry in twips; tests may pretend another screen. Twips per pixel follow the screen's
// logical dots per inch and the application font's size against the 8-point design font.
int ScreenTwipsPerPixelX();
int ScreenTwipsPerPixelY();
int ScreenWidth();  // twips
int ScreenHeight(); // twips
void OverrideScreen(int widthPixels, int heightPixels, int twipsPerPixel);
void ClearScreenOverride();

int PixelsX(double twips);
int PixelsY(double twips);
double TwipsX(int pixels);
double TwipsY(int pixels);

// Places a widget by its design values in twips (left, top, width, height).
void PlaceTwips(QWidget* widget, double left, double top, double width, double height);

// The folder of the program's read-only files (help, transfer-button icons): beside the executable
// for a build or a portable copy, <prefix>/share/tovo-ftp once installed.
QString AppPath();
// The folder that holds Profile.ini: the same as AppPath() beside the executable, the user's
// configuration folder (~/.config/tovo-ftp) once installed. Created when a profile is first saved.
QString ProfileFolder();
// Tests point both folders at one temporary folder.
void SetAppPath(const QString& path);
