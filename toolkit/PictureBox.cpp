#include "toolkit/PictureBox.h"

#include "toolkit/WindowLayer.h"

#include <QIcon>
#include <QMouseEvent>
#include <QPixmap>

namespace {
int buttonNumber(Qt::MouseButtons buttons) {
    int number = 0;
    if (buttons & Qt::LeftButton)
        number |= 1;
    if (buttons & Qt::RightButton)
        number |= 2;
    if (buttons & Qt::MiddleButton)
        number |= 4;
    return number;
}
int shiftNumber(Qt::KeyboardModifiers modifiers) {
    return ((modifiers & Qt::ShiftModifier) ? 1 : 0) | ((modifiers & Qt::ControlModifier) ? 2 : 0) |
           ((modifiers & Qt::AltModifier) ? 4 : 0);
}
} // namespace

PictureBox::PictureBox(QWidget* parent) : QLabel(parent) {
    setMouseTracking(true);
    setAlignment(Qt::AlignCenter);
}

bool PictureBox::LoadPicture(const QString& path) {
    const QIcon icon(path);
    const QPixmap pixmap = icon.pixmap(size().isEmpty() ? QSize(16, 16) : size());
    if (pixmap.isNull())
        return false;
    setPixmap(pixmap);
    m_picturePath = path;
    return true;
}

void PictureBox::SetCapture() {
    grabMouse();
}

void PictureBox::ReleaseCapture() {
    if (QWidget* grabber = QWidget::mouseGrabber())
        grabber->releaseMouse();
}

bool PictureBox::HasCapture() const {
    return QWidget::mouseGrabber() == this;
}

double PictureBox::WidthTwips() const {
    return TwipsX(width());
}
double PictureBox::HeightTwips() const {
    return TwipsY(height());
}

void PictureBox::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(event);
}

void PictureBox::mouseReleaseEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const bool click = m_pressed && event->button() == Qt::LeftButton && rect().contains(at);
    m_pressed = false;
    if (click)
        emit Click();
    emit MouseUp(buttonNumber(event->button()), shiftNumber(event->modifiers()), TwipsX(at.x()),
                 TwipsY(at.y()));
}

void PictureBox::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    emit MouseMove(buttonNumber(event->buttons()), shiftNumber(event->modifiers()), TwipsX(at.x()),
                   TwipsY(at.y()));
}
