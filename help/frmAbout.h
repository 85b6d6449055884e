#pragma once
// The About box: the product name and picture. At start-up it is the splash that closes itself
// after seven seconds; any click on it closes it at once.

#include <QDialog>

class QFrame;
class QTimer;
class PictureBox;

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);

    QFrame* Frame1 = nullptr;
    PictureBox* Picture1 = nullptr; // the product picture, 96 x 96
    PictureBox* Picture2 = nullptr; // the product name, printed at load
    QTimer* Timer1 = nullptr;       // 7000 ms, running from load

    void Frame1_Click();
    void Picture1_Click();
    void Picture2_Click();
    void Timer1_Timer();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Form_Load();
    void printProductName();
};
