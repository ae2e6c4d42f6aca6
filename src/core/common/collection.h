#pragma once
// An owning list of records with persistent identifiers. Every project list
// (rooms, subjects, klasses, teachers, lessons) and the run-time copies are
// collections of this shape.
#include <algorithm>
#include <cstdint>
#include <limits>
#include <memory>
#include <vector>

namespace korvant {

// Base of every record kept in a collection.
class TCollectionItem {
 public:
  virtual ~TCollectionItem() = default;
  int32_t ID() const { return id_; }
  void SetID(int32_t id) { id_ = id; }

 private:
  int32_t id_ = 0;
};

template <class Item>
class TCollection {
 public:
  explicit TCollection(void* owner = nullptr) : owner_(owner) {}
  virtual ~TCollection() = default;
  TCollection(const TCollection&) = delete;
  TCollection& operator=(const TCollection&) = delete;

  void* Owner() const { return owner_; }

  int Count() const { return static_cast<int>(items_.size()); }
  // 0-based; null outside 0..Count-1.
  Item* GetItem(int index) const {
    return index >= 0 && index < Count() ? items_[static_cast<std::size_t>(index)].get() : nullptr;
  }
  Item* operator[](int index) const { return GetItem(index); }

  // A new record with its defaults and the next identifier.
  Item* Add() {
    auto item = NewItem();
    item->SetID(TakeNextID());
    items_.push_back(std::move(item));
    return items_.back().get();
  }
  // Inserts a new record at index (clamped), with the next identifier.
  Item* Insert(int index) {
    auto item = NewItem();
    item->SetID(TakeNextID());
    index = std::clamp(index, 0, Count());
    auto it = items_.insert(items_.begin() + index, std::move(item));
    return it->get();
  }

  int IndexOf(const Item* item) const {
    for (int i = 0; i < Count(); ++i)
      if (items_[static_cast<std::size_t>(i)].get() == item) return i;
    return -1;
  }
  int IndexOfID(int32_t id) const {
    for (int i = 0; i < Count(); ++i)
      if (items_[static_cast<std::size_t>(i)]->ID() == id) return i;
    return -1;
  }
  Item* FindItemID(int32_t id) const { return GetItem(IndexOfID(id)); }

  // Takes the record out and frees it.
  void Delete(int index) {
    if (index >= 0 && index < Count()) items_.erase(items_.begin() + index);
  }
  void RemoveItem(Item* item) { Delete(IndexOf(item)); }
  void Clear() { items_.clear(); }
  // Moves the record at from to position to (both 0-based, in range).
  void Move(int from, int to) {
    if (from < 0 || from >= Count() || to < 0 || to >= Count() || from == to) return;
    auto item = std::move(items_[static_cast<std::size_t>(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(item));
  }

  int32_t NextID() const { return nextId_; }
  void SetNextID(int32_t id) { nextId_ = id; }
  // Identifiers are never given twice: after loading, the counter is raised
  // past the largest stored identifier whatever the file said.
  void RaiseNextIDPastItems() {
    for (auto& it : items_)
      if (it->ID() >= nextId_) nextId_ = it->ID() < kMaxID ? it->ID() + 1 : kMaxID;
  }

  auto begin() const { return items_.begin(); }
  auto end() const { return items_.end(); }

 protected:
  // The record a new entry starts as. Collections of derived records (the
  // planner's run-time copies) return their own record class here.
  virtual std::unique_ptr<Item> NewItem() const { return std::make_unique<Item>(); }

 private:
  static constexpr int32_t kMaxID = std::numeric_limits<int32_t>::max();
  // The counter stops at the largest identifier instead of wrapping into
  // negative ones (only a hostile file can bring it there).
  int32_t TakeNextID() { return nextId_ < kMaxID ? nextId_++ : kMaxID; }

  void* owner_;
  std::vector<std::unique_ptr<Item>> items_;
  int32_t nextId_ = 0;
};

}  // namespace korvant
