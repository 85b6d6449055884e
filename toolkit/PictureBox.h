#pragma once
// A picture box used as an image button: a picture loaded from a file, click and mouse events with
// positions in twips, and mouse capture.

#include <QLabel>

class PictureBox : public QLabel {
    Q_OBJECT
public:
    explicit PictureBox(QWidget* parent = nullptr);

    // Loads a picture file; false (picture unchanged) when it is missing or unreadable.
    bool LoadPicture(const QString& path);
    QString PicturePath() const { return m_picturePath; }

    void SetCapture();
    static void ReleaseCapture();
    bool HasCapture() const;

    double WidthTwips() const;
    double HeightTwips() const;

signals:
    void Click();
    void MouseMove(int button, int shift, double x, double y);
    void MouseUp(int button, int shift, double x, double y);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    QString m_picturePath;
    bool m_pressed = false;
};
