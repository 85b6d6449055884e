#include "toolkit/StatusBar.h"

#include <QHBoxLayout>

StatusBar::StatusBar(int panelCount, QWidget* parent) : QWidget(parent) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->setSpacing(2);
    for (int i = 0; i < panelCount; ++i) {
        auto* panel = new QLabel(this);
        panel->setObjectName(QStringLiteral("Panel%1").arg(i + 1));
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        // No minimum of our own: a panel keeps room for its whole text (a transfer's rate in the
        // last one) and the others share what is left.
        panel->setTextFormat(Qt::PlainText); // panels may quote what a server or a listing said
        layout->addWidget(panel, i + 1 < panelCount ? 2 : 1);
        m_panels.append(panel);
    }
}

QLabel* StatusBar::Panel(int panel) const {
    return panel >= 1 && panel <= m_panels.size() ? m_panels[panel - 1] : nullptr;
}

QString StatusBar::PanelText(int panel) const {
    return Panel(panel) ? Panel(panel)->text() : QString();
}

void StatusBar::SetPanelText(int panel, const QString& text) {
    if (QLabel* label = Panel(panel))
        label->setText(text);
}

void StatusBar::SetPanelToolTip(int panel, const QString& tip) {
    if (QLabel* label = Panel(panel))
        label->setToolTip(tip);
}
