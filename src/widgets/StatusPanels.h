#pragma once
#include <QFrame>
#include <QList>

class QLabel;

// A status bar of panels side by side with fixed widths (pixels), left to right.
class TStatusPanels : public QFrame {
    Q_OBJECT
public:
    explicit TStatusPanels(QWidget* parent = nullptr);

    QLabel* addPanel(int width, Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter);
    int count() const { return int(m_panels.size()); }
    QLabel* panel(int index) const { return m_panels.value(index); }
    void setPanelWidth(int index, int width);
    int panelWidth(int index) const;

signals:
    void resized();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void placePanels();
    QList<QLabel*> m_panels;
    QList<int> m_widths;
};
