#pragma once

#include "platform/RuntimeError.h"

#include <QHash>
#include <QString>

#include <vector>

namespace platform {

// The platform's keyed collection: items in the order they were added, each under an optional
// key that is unique without regard to letter case. Positions count from 1. Misuse raises the
// collection's own errors: a key already taken, a key or position that is not there.
template <typename T>
class KeyedCollection {
public:
    void Add(T item, const QString& key = {}) {
        QString folded = key.toCaseFolded();
        if (!key.isEmpty()) {
            // One lookup finds the key taken or makes its place.
            const qsizetype before = index_.size();
            qsizetype& position = index_[folded];
            if (index_.size() == before) {
                throw RuntimeError(err::DuplicateKey, QStringLiteral("Collection"),
                                   QStringLiteral("This key is already associated with an "
                                                  "element of this collection"));
            }
            position = qsizetype(entries_.size());
        }
        entries_.push_back({std::move(folded), std::move(item)});
    }

    void Remove(const QString& key) { RemoveAt(PositionOf(key)); }
    void Remove(qsizetype position) { RemoveAt(CheckedPosition(position) - 1); }

    T& Item(const QString& key) { return entries_[PositionOf(key)].item; }
    const T& Item(const QString& key) const { return entries_[PositionOf(key)].item; }
    T& Item(qsizetype position) { return entries_[CheckedPosition(position) - 1].item; }
    const T& Item(qsizetype position) const { return entries_[CheckedPosition(position) - 1].item; }

    bool Contains(const QString& key) const {
        return !key.isEmpty() && index_.contains(key.toCaseFolded());
    }
    qsizetype Count() const { return qsizetype(entries_.size()); }
    // About that many more items are coming: room for them is made at once.
    void Reserve(qsizetype more) {
        entries_.reserve(entries_.size() + std::size_t(more));
        index_.reserve(index_.size() + more);
    }

    // Items in order, for range-for.
    template <typename Base>
    class Iterator {
    public:
        explicit Iterator(Base it) : it_(it) {}
        auto& operator*() const { return it_->item; }
        Iterator& operator++() {
            ++it_;
            return *this;
        }
        bool operator==(const Iterator& o) const { return it_ == o.it_; }

    private:
        Base it_;
    };
    struct Entry {
        QString key;
        T item;
    };
    using iterator = Iterator<typename std::vector<Entry>::iterator>;
    using const_iterator = Iterator<typename std::vector<Entry>::const_iterator>;
    iterator begin() { return iterator(entries_.begin()); }
    iterator end() { return iterator(entries_.end()); }
    const_iterator begin() const { return const_iterator(entries_.begin()); }
    const_iterator end() const { return const_iterator(entries_.end()); }

private:
    qsizetype PositionOf(const QString& key) const {
        const auto it = index_.constFind(key.toCaseFolded());
        if (key.isEmpty() || it == index_.cend()) {
            throw RuntimeError(err::InvalidArgument, QStringLiteral("Collection"),
                               QStringLiteral("Invalid procedure call or argument"));
        }
        return *it;
    }

    qsizetype CheckedPosition(qsizetype position) const {
        if (position < 1 || position > Count()) {
            throw RuntimeError(err::SubscriptOutOfRange, QStringLiteral("Collection"),
                               QStringLiteral("Subscript out of range"));
        }
        return position;
    }

    void RemoveAt(qsizetype at) {
        if (!entries_[at].key.isEmpty()) {
            index_.remove(entries_[at].key);
        }
        entries_.erase(entries_.begin() + at);
        for (qsizetype i = at; i < Count(); ++i) {
            if (!entries_[i].key.isEmpty()) {
                index_[entries_[i].key] = i;
            }
        }
    }

    std::vector<Entry> entries_;
    QHash<QString, qsizetype> index_;
};

}  // namespace platform
