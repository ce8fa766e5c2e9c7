#pragma once
#include <QMainWindow>
#include <memory>

class CursorModel;
class QLabel;
class QTableView;
class TDataModule1;
class TLtFirmAbt;
class Table;

// The main window: the ladder register and everything opened from it.
class TLeiterVerw : public QMainWindow {
    Q_OBJECT
public:
    explicit TLeiterVerw(TDataModule1& dataModule, QWidget* parent = nullptr);
    ~TLeiterVerw() override;

    Table* leiter() const { return m_leiter; }
    QTableView* grid() const { return m_grid; }
    QLabel* statusPanel(int index) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void buildStatusBar();
    void layoutStatusPanels();

    TDataModule1& m_dm;
    std::unique_ptr<TLtFirmAbt> m_firmAbt;
    Table* m_leiter = nullptr;
    CursorModel* m_model = nullptr;
    QTableView* m_grid = nullptr;
    QList<QLabel*> m_panels;
};
