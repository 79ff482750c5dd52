// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/view_accessible.h"

#include "app/child.h"
#include "ui/view_text.h"

#include <map>
#include <memory>
#include <utility>
#include <vector>

#include <QAccessible>
#include <QAccessibleWidget>
#include <QPointer>

namespace kui {

namespace {

class ViewAccessible;

// A part of a view's accessible object that has no widget of its own: the
// page text, a table or one of its cells.
class ViewPart : public QAccessibleInterface {
public:
    explicit ViewPart(ViewAccessible& view) : view_(view) {}

    bool isValid() const override;
    QObject* object() const override { return nullptr; }
    QWindow* window() const override;
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override;
    QAccessible::State state() const override {
        QAccessible::State state;
        state.readOnly = true;
        return state;
    }

protected:
    ViewAccessible& view_;
};

// The page: its name says which page (or month, or graph) it is, its text
// and description are the view's lines in reading order.
class PageAccessible : public ViewPart,
                       public QAccessibleTextInterface,
                       public QAccessibleValueInterface {
public:
    using ViewPart::ViewPart;

    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override;
    QAccessible::Role role() const override { return QAccessible::Paragraph; }
    QAccessible::State state() const override {
        QAccessible::State state = ViewPart::state();
        state.multiLine = true;
        return state;
    }
    void* interface_cast(QAccessible::InterfaceType type) override;

    // The text.
    QString Whole() const;
    void selection(int, int* start, int* end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    int cursorPosition() const override { return 0; }
    void setCursorPosition(int) override {}
    QString text(int start, int end) const override { return Whole().mid(start, end - start); }
    int characterCount() const override { return static_cast<int>(Whole().size()); }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    void scrollToSubstring(int, int) override {}
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }

    // The value.
    QVariant currentValue() const override;
    void setCurrentValue(const QVariant&) override {}
    QVariant maximumValue() const override;
    QVariant minimumValue() const override;
    QVariant minimumStepSize() const override { return 1; }
};

class TableAccessible;

// A cell of a table, or a header: row -1 is a column's header, column -1 a
// row's.
class CellAccessible : public ViewPart, public QAccessibleTableCellInterface {
public:
    CellAccessible(ViewAccessible& view, TableAccessible& table, int row, int column)
        : ViewPart(view), table_(table), row_(row), column_(column) {}

    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QString text(QAccessible::Text t) const override;
    QRect rect() const override;
    QAccessible::Role role() const override {
        return row_ < 0 ? QAccessible::ColumnHeader
                        : (column_ < 0 ? QAccessible::RowHeader : QAccessible::Cell);
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    bool isSelected() const override { return false; }
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override;
    int columnIndex() const override { return column_; }
    int rowIndex() const override { return row_; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override;

private:
    TableAccessible& table_;
    int row_, column_;
};

// One of the view's tables. Its cells are made when asked for and dropped
// when the table's content changes.
class TableAccessible : public ViewPart, public QAccessibleTableInterface {
public:
    TableAccessible(ViewAccessible& view, std::size_t index) : ViewPart(view), index_(index) {}
    ~TableAccessible() override { DropCells(); }
    Q_DISABLE_COPY_MOVE(TableAccessible)

    const ViewTable& Table() const;
    // Cell (row, column), a header for row or column -1; null outside.
    QAccessibleInterface* Cell(int row, int column) const;
    void DropCells() {
        for (const auto& [place, id] : cells_)
            QAccessible::deleteAccessibleInterface(id);
        cells_.clear();
    }

    QAccessibleInterface* parent() const override;
    QAccessibleInterface* child(int index) const override {
        const int columns = columnCount();
        return columns > 0 && index >= 0 ? Cell(index / columns, index % columns) : nullptr;
    }
    int childCount() const override { return rowCount() * columnCount(); }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const QAccessibleTableCellInterface* cell =
            const_cast<QAccessibleInterface*>(child)->tableCellInterface();
        if (!cell || child->parent() != this || cell->rowIndex() < 0 || cell->columnIndex() < 0)
            return -1;
        return cell->rowIndex() * columnCount() + cell->columnIndex();
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name ? Table().caption : QString();
    }
    QAccessible::Role role() const override { return QAccessible::Table; }
    QAccessibleInterface* childAt(int x, int y) const override {
        for (int i = 0; i < childCount(); ++i)
            if (QAccessibleInterface* cell = child(i);
                cell && cell->rect().contains(x, y) && cell->rect() != rect())
                return cell;
        return nullptr;
    }
    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableInterface ? static_cast<QAccessibleTableInterface*>(this)
                                                   : nullptr;
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        return row >= 0 && column >= 0 ? Cell(row, column) : nullptr;
    }
    int selectedCellCount() const override { return 0; }
    QList<QAccessibleInterface*> selectedCells() const override { return {}; }
    QString columnDescription(int column) const override {
        return Table().columnHeaders.value(column);
    }
    QString rowDescription(int row) const override { return Table().rowHeaders.value(row); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return 0; }
    int columnCount() const override { return static_cast<int>(Table().columnHeaders.size()); }
    int rowCount() const override { return static_cast<int>(Table().rows.size()); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override { return {}; }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int) const override { return false; }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override {}

private:
    std::size_t index_;
    mutable std::map<std::pair<int, int>, QAccessible::Id> cells_;
};

// The view itself: named by its title, described by what it shows now. Its
// children are the page, the tables, then the view's widgets (its buttons).
class ViewAccessible : public QAccessibleWidget {
public:
    explicit ViewAccessible(TKvrChild* view) : QAccessibleWidget(view, QAccessible::Pane) {}
    ~ViewAccessible() override { Drop(); }
    Q_DISABLE_COPY_MOVE(ViewAccessible)

    const ViewText& Text() const { return text_; }
    QWidget* View() const { return widget(); }

    // Takes what the view shows now. Not before the view is shown: until
    // then it may not be whole.
    void Refresh() {
        auto* view = static_cast<TKvrChild*>(widget());
        if (!view || !view->isVisible())
            return;
        ViewText text = view->Describe();
        if (text == text_ && made_)
            return;
        const ViewText old = std::exchange(text_, std::move(text));
        if (!made_ || old.tables.size() != text_.tables.size()) {
            Drop();
            page_ = QAccessible::registerAccessibleInterface(new PageAccessible(*this));
            for (std::size_t i = 0; i < text_.tables.size(); ++i)
                tables_.push_back(
                    QAccessible::registerAccessibleInterface(new TableAccessible(*this, i)));
            made_ = true;
        } else {
            for (std::size_t i = 0; i < tables_.size(); ++i)
                if (old.tables[i] != text_.tables[i])
                    static_cast<TableAccessible*>(QAccessible::accessibleInterface(tables_[i]))
                        ->DropCells();
        }
    }

    // Sends the events of what changed since the last call.
    void Announce() {
        Refresh();
        if (!made_)
            return;
        if (!announced_) {
            announced_ = text_;
            return;
        }
        const ViewText old = *std::exchange(announced_, text_);
        QAccessibleInterface* page = QAccessible::accessibleInterface(page_);
        if (old.name != text_.name) {
            QAccessibleEvent named(page, QAccessible::NameChanged);
            QAccessible::updateAccessibility(&named);
            QAccessibleEvent described(this, QAccessible::DescriptionChanged);
            QAccessible::updateAccessibility(&described);
        }
        if (old.lines != text_.lines) {
            QAccessibleTextUpdateEvent update(page, 0, old.lines.join(QLatin1Char('\n')),
                                              text_.lines.join(QLatin1Char('\n')));
            QAccessible::updateAccessibility(&update);
        }
        if (text_.value && old.value != text_.value) {
            QAccessibleValueChangeEvent value(page, *text_.value);
            QAccessible::updateAccessibility(&value);
        }
        for (std::size_t i = 0; i < tables_.size() && i < old.tables.size(); ++i) {
            if (old.tables[i] == text_.tables[i])
                continue;
            QAccessibleInterface* table = QAccessible::accessibleInterface(tables_[i]);
            if (old.tables[i].caption != text_.tables[i].caption) {
                QAccessibleEvent named(table, QAccessible::NameChanged);
                QAccessible::updateAccessibility(&named);
            }
            QAccessibleTableModelChangeEvent reset(table,
                                                   QAccessibleTableModelChangeEvent::ModelReset);
            QAccessible::updateAccessibility(&reset);
        }
    }

    int Parts() const { return made_ ? static_cast<int>(1 + tables_.size()) : 0; }
    QAccessibleInterface* Part(int index) const {
        if (index == 0)
            return QAccessible::accessibleInterface(page_);
        return QAccessible::accessibleInterface(tables_[static_cast<std::size_t>(index - 1)]);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Description)
            return text_.name;
        return QAccessibleWidget::text(t);
    }
    int childCount() const override {
        const_cast<ViewAccessible*>(this)->Refresh();
        return Parts() + QAccessibleWidget::childCount();
    }
    QAccessibleInterface* child(int index) const override {
        const_cast<ViewAccessible*>(this)->Refresh();
        if (index < Parts())
            return index >= 0 ? Part(index) : nullptr;
        return QAccessibleWidget::child(index - Parts());
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        for (int i = 0; i < Parts(); ++i)
            if (Part(i) == child)
                return i;
        const int index = QAccessibleWidget::indexOfChild(child);
        return index < 0 ? -1 : index + Parts();
    }

private:
    void Drop() {
        if (page_)
            QAccessible::deleteAccessibleInterface(page_);
        page_ = 0;
        for (QAccessible::Id id : tables_)
            QAccessible::deleteAccessibleInterface(id);
        tables_.clear();
        made_ = false;
    }

    ViewText text_;
    bool made_ = false;
    std::optional<ViewText> announced_;
    QAccessible::Id page_ = 0;
    std::vector<QAccessible::Id> tables_;
};

bool ViewPart::isValid() const {
    return view_.isValid();
}

QWindow* ViewPart::window() const {
    return view_.window();
}

QRect ViewPart::rect() const {
    return view_.rect();
}

QRect CellAccessible::rect() const {
    const ViewTable& table = table_.Table();
    const auto index = static_cast<std::size_t>(row_ * table_.columnCount() + column_);
    if (row_ < 0 || column_ < 0 || index >= table.cellRects.size() || !view_.View())
        return ViewPart::rect();
    const QRect& cell = table.cellRects[index];
    return QRect(view_.View()->mapToGlobal(cell.topLeft()), cell.size());
}

QAccessibleInterface* PageAccessible::parent() const {
    return &view_;
}

QString PageAccessible::text(QAccessible::Text t) const {
    switch (t) {
    case QAccessible::Name:
        return view_.Text().name;
    case QAccessible::Description:
        return Whole();
    case QAccessible::Value:
        return view_.Text().value ? QString::number(*view_.Text().value) : QString();
    default:
        return {};
    }
}

void* PageAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface*>(this);
    if (type == QAccessible::ValueInterface && view_.Text().value)
        return static_cast<QAccessibleValueInterface*>(this);
    return nullptr;
}

QString PageAccessible::Whole() const {
    return view_.Text().lines.join(QLatin1Char('\n'));
}

QVariant PageAccessible::currentValue() const {
    return view_.Text().value.value_or(0);
}

QVariant PageAccessible::maximumValue() const {
    return view_.Text().maximum;
}

QVariant PageAccessible::minimumValue() const {
    return view_.Text().minimum;
}

const ViewTable& TableAccessible::Table() const {
    static const ViewTable kNone;
    const auto& tables = view_.Text().tables;
    return index_ < tables.size() ? tables[index_] : kNone;
}

QAccessibleInterface* TableAccessible::Cell(int row, int column) const {
    if (row >= rowCount() || column >= columnCount() || (row < 0 && column < 0))
        return nullptr;
    if ((row < 0 && Table().columnHeaders.value(column).isEmpty()) ||
        (column < 0 && Table().rowHeaders.value(row).isEmpty()))
        return nullptr;
    auto [place, made] = cells_.try_emplace({row, column}, 0);
    if (made)
        place->second = QAccessible::registerAccessibleInterface(
            new CellAccessible(view_, *const_cast<TableAccessible*>(this), row, column));
    return QAccessible::accessibleInterface(place->second);
}

QAccessibleInterface* TableAccessible::parent() const {
    return &view_;
}

QAccessibleInterface* CellAccessible::parent() const {
    return &table_;
}

QAccessibleInterface* CellAccessible::table() const {
    return &table_;
}

QString CellAccessible::text(QAccessible::Text t) const {
    if (t != QAccessible::Name)
        return {};
    const ViewTable& table = table_.Table();
    if (row_ < 0)
        return table.columnHeaders.value(column_);
    if (column_ < 0)
        return table.rowHeaders.value(row_);
    return table.rows[static_cast<std::size_t>(row_)].value(column_);
}

QList<QAccessibleInterface*> CellAccessible::columnHeaderCells() const {
    if (row_ < 0)
        return {};
    QAccessibleInterface* header = table_.Cell(-1, column_);
    return header ? QList<QAccessibleInterface*>{header} : QList<QAccessibleInterface*>{};
}

QList<QAccessibleInterface*> CellAccessible::rowHeaderCells() const {
    if (column_ < 0)
        return {};
    QAccessibleInterface* header = table_.Cell(row_, -1);
    return header ? QList<QAccessibleInterface*>{header} : QList<QAccessibleInterface*>{};
}

QAccessibleInterface* Factory(const QString& key, QObject* object) {
    Q_UNUSED(key);
    if (auto* view = qobject_cast<TKvrChild*>(object))
        return new ViewAccessible(view);
    return nullptr;
}

} // namespace

void InstallViewAccessibility() {
    // A factory already installed is not added again; a new application
    // object starts without.
    QAccessible::installFactory(Factory);
}

void AnnounceViewChange(TKvrChild& view) {
    if (!QAccessible::isActive())
        return;
    if (auto* face = dynamic_cast<ViewAccessible*>(QAccessible::queryAccessibleInterface(&view)))
        face->Announce();
}

} // namespace kui
