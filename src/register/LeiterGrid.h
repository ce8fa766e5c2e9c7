#pragma once
#include <QTableView>
#include <functional>
#include <optional>

class CursorModel;
class DataSet;

// The ladder grid: read-only, whole rows, the selection kept visible without the focus, a row
// indicator, and the columns, titles and widths of the register. Keys go first to the handlers
// added (in order), then to the table view.
class TLeiterGrid : public QTableView {
    Q_OBJECT
public:
    explicit TLeiterGrid(DataSet* leiter, QWidget* parent = nullptr);

    CursorModel* cursorModel() const { return m_model; }
    DataSet* dataSet() const { return m_dataSet; }

    // Columns by field name; widths in characters come from the field definitions.
    void setColumns(const QStringList& fieldNames);
    QStringList columns() const;

    // A handler returns true when it consumed the key.
    using KeyHandler = std::function<bool(QKeyEvent*)>;
    void addKeyHandler(KeyHandler handler);
    // Background of a row (view row, selected); nothing: the grid's own colours.
    std::function<std::optional<QColor>(int row, bool selected)> rowBackground;

    // Selects the cursor's current row.
    void followCursor();

    void doItemsLayout() override;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void applyWidths();
    // What the next layout of the rows has to do: nothing since the last, only rows appended
    // below the rows shown (the rest of a large register), or anything else.
    enum class Pending { None, AppendedBelow, Other };
    Pending m_pending = Pending::None;
    DataSet* m_dataSet;
    CursorModel* m_model;
    QList<KeyHandler> m_keyHandlers;
};
