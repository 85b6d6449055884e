#pragma once
// A status bar with numbered text panels (1-based), each with an optional tool tip.

#include <QLabel>
#include <QList>
#include <QWidget>

class StatusBar : public QWidget {
    Q_OBJECT
public:
    explicit StatusBar(int panelCount, QWidget* parent = nullptr);
    QString PanelText(int panel) const;
    void SetPanelText(int panel, const QString& text);
    void SetPanelToolTip(int panel, const QString& tip);
    QLabel* Panel(int panel) const;

private:
    QList<QLabel*> m_panels;
};
