// Scrolling lists for the views: a QAbstractListModel over a std::vector that the owning
// model keeps. Every edit goes through the list model, which changes the vector and announces
// exactly the rows that changed (insert, remove, move, dataChanged), never a reset for a
// one-row change; a 100 000-row list is not copied for it.
#pragma once

#include <QAbstractListModel>
#include <QByteArray>
#include <QHash>
#include <QVariant>
#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace ZintraRadio {

// The part with signals and the count property (templates cannot carry Q_OBJECT).
class ListModelBase : public QAbstractListModel {
    Q_OBJECT
    Q_PROPERTY(int count READ count NOTIFY countChanged)

public:
    using QAbstractListModel::QAbstractListModel;
    int count() const { return rowCount(); }

Q_SIGNALS:
    void countChanged();

protected:
    void announceCount(int before) {
        if (before != count())
            Q_EMIT countChanged();
    }
};

template <typename T> struct ListRole {
    QByteArray name;
    std::function<QVariant(const T&)> value;
};

template <typename T> class VectorListModel : public ListModelBase {
public:
    // `storage` is owned by the caller and outlives this model; edit it only through here.
    VectorListModel(std::vector<T>* storage, std::vector<ListRole<T>> roles, QObject* parent = nullptr)
        : ListModelBase(parent), storage_(storage), roles_(std::move(roles)) {}

    const std::vector<T>& items() const { return *storage_; }

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(storage_->size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        const int row = index.row();
        const int column = role - Qt::UserRole - 1;
        if (!index.isValid() || row < 0 || row >= rowCount() || column < 0 ||
            column >= static_cast<int>(roles_.size()))
            return {};
        return roles_[static_cast<std::size_t>(column)].value((*storage_)[static_cast<std::size_t>(row)]);
    }

    QHash<int, QByteArray> roleNames() const override {
        QHash<int, QByteArray> names;
        for (std::size_t i = 0; i < roles_.size(); ++i)
            names.insert(Qt::UserRole + 1 + static_cast<int>(i), roles_[i].name);
        return names;
    }

    void insert(int row, T value) {
        row = std::clamp(row, 0, rowCount());
        const int before = count();
        beginInsertRows({}, row, row);
        storage_->insert(storage_->begin() + row, std::move(value));
        endInsertRows();
        announceCount(before);
    }

    void append(std::vector<T> values) {
        if (values.empty())
            return;
        const int before = count();
        beginInsertRows({}, before, before + static_cast<int>(values.size()) - 1);
        storage_->insert(storage_->end(), std::make_move_iterator(values.begin()),
                         std::make_move_iterator(values.end()));
        endInsertRows();
        announceCount(before);
    }

    // Out-of-range rows are ignored.
    void remove(int row) {
        if (row < 0 || row >= rowCount())
            return;
        const int before = count();
        beginRemoveRows({}, row, row);
        storage_->erase(storage_->begin() + row);
        endRemoveRows();
        announceCount(before);
    }

    // Removes the rows (any order, duplicates and out-of-range rows ignored), announcing
    // each contiguous run from the end so earlier row numbers stay valid.
    void removeRows(std::vector<int> rows) {
        std::sort(rows.begin(), rows.end());
        rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
        std::erase_if(rows, [this](int row) { return row < 0 || row >= rowCount(); });
        const int before = count();
        while (!rows.empty()) {
            int last = rows.back();
            int first = last;
            rows.pop_back();
            while (!rows.empty() && rows.back() == first - 1) {
                first = rows.back();
                rows.pop_back();
            }
            beginRemoveRows({}, first, last);
            storage_->erase(storage_->begin() + first, storage_->begin() + last + 1);
            endRemoveRows();
        }
        announceCount(before);
    }

    // Removes every row for which `predicate` holds.
    template <typename Predicate> void removeIf(Predicate predicate) {
        std::vector<int> rows;
        for (int row = 0; row < rowCount(); ++row)
            if (predicate((*storage_)[static_cast<std::size_t>(row)]))
                rows.push_back(row);
        removeRows(std::move(rows));
    }

    // Moves one row so that it ends up at index `to` (Qt's rule for a single row).
    void move(int from, int to) {
        if (from < 0 || from >= rowCount() || to < 0 || to >= rowCount() || from == to)
            return;
        beginMoveRows({}, from, from, {}, to > from ? to + 1 : to);
        if (to > from)
            std::rotate(storage_->begin() + from, storage_->begin() + from + 1, storage_->begin() + to + 1);
        else
            std::rotate(storage_->begin() + to, storage_->begin() + from, storage_->begin() + from + 1);
        endMoveRows();
    }

    void replace(int row, T value) {
        if (row < 0 || row >= rowCount())
            return;
        (*storage_)[static_cast<std::size_t>(row)] = std::move(value);
        rowChanged(row);
    }

    // The row's value was edited in place.
    void rowChanged(int row) {
        if (row < 0 || row >= rowCount())
            return;
        Q_EMIT dataChanged(index(row), index(row));
    }

    // Makes the list equal to `values`, announcing only the differing middle: rows equal at
    // the start and at the end stay untouched; an equally long middle becomes dataChanged,
    // anything else a removal and an insertion.
    void assign(std::vector<T> values) {
        auto& old = *storage_;
        const std::size_t oldSize = old.size();
        const std::size_t newSize = values.size();
        std::size_t prefix = 0;
        while (prefix < oldSize && prefix < newSize && old[prefix] == values[prefix])
            ++prefix;
        std::size_t suffix = 0;
        while (suffix < oldSize - prefix && suffix < newSize - prefix &&
               old[oldSize - 1 - suffix] == values[newSize - 1 - suffix])
            ++suffix;
        const int first = static_cast<int>(prefix);
        const int oldMiddle = static_cast<int>(oldSize - prefix - suffix);
        const int newMiddle = static_cast<int>(newSize - prefix - suffix);
        const int before = count();
        if (oldMiddle == newMiddle) {
            if (oldMiddle == 0)
                return;
            for (int i = 0; i < oldMiddle; ++i)
                old[prefix + static_cast<std::size_t>(i)] =
                    std::move(values[prefix + static_cast<std::size_t>(i)]);
            Q_EMIT dataChanged(index(first), index(first + oldMiddle - 1));
            return;
        }
        if (oldMiddle > 0) {
            beginRemoveRows({}, first, first + oldMiddle - 1);
            old.erase(old.begin() + first, old.begin() + first + oldMiddle);
            endRemoveRows();
        }
        if (newMiddle > 0) {
            beginInsertRows({}, first, first + newMiddle - 1);
            old.insert(old.begin() + first, std::make_move_iterator(values.begin() + first),
                       std::make_move_iterator(values.begin() + first + newMiddle));
            endInsertRows();
        }
        announceCount(before);
    }

    // Replaces everything at once (first load, a reload of the whole library).
    void reset(std::vector<T> values) {
        const int before = count();
        beginResetModel();
        *storage_ = std::move(values);
        endResetModel();
        announceCount(before);
    }

private:
    std::vector<T>* storage_;
    std::vector<ListRole<T>> roles_;
};

} // namespace ZintraRadio
