// Scripting.Dictionary: keys in insertion order, found through a hash of a normalized key.
#include <unordered_map>
#include <vector>

#include "builtin_objects.h"
#include "convert.h"
#include "text.h"

namespace lumetrix::vbs {

namespace {

enum Member { kAdd, kItem, kExists, kKeys, kItems, kRemove, kRemoveAll, kCount, kCompareMode, kKey };

class Dictionary final : public Object {
 public:
  std::string typeName() const override { return "Dictionary"; }
  int findMember(std::string_view n) override {
    return FindMemberIn(n, {"add", "item", "exists", "keys", "items", "remove", "removeall", "count", "comparemode",
                            "key"});
  }
  bool enumerate(std::vector<Variant>& items) override {
    for (const auto& e : entries_) items.push_back(e.first);
    return true;
  }
  void invoke(int member, InvokeKind kind, Variant* args, int nargs, Variant& result) override {
    if (member == kDefaultMember) member = kItem;
    bool assign = kind == InvokeKind::Let || kind == InvokeKind::Set;
    auto arg = [&](int i) -> const Variant& { return args[i].deref(); };
    auto need = [&](int n) {
      if (nargs != n) ThrowError(err::WrongArgCount);
    };
    switch (member) {
      case kAdd: {
        need(2);
        std::string k = keyOf(arg(0));
        if (index_.count(k)) ThrowError(err::KeyExists);
        add(k, arg(0), arg(1));
        return;
      }
      case kItem: {
        if (assign) {
          need(2);
          std::string k = keyOf(arg(0));
          auto it = index_.find(k);
          if (it == index_.end()) add(k, arg(0), arg(1));
          else entries_[it->second].second = arg(1);
          return;
        }
        need(1);
        std::string k = keyOf(arg(0));
        auto it = index_.find(k);
        // Reading a missing key adds it with an Empty item, as VBScript's Dictionary does.
        if (it == index_.end()) add(k, arg(0), Variant());
        else result = entries_[it->second].second;
        return;
      }
      case kExists: need(1); result = Variant(index_.count(keyOf(arg(0))) != 0); return;
      case kKeys: case kItems: {
        need(0);
        std::vector<Variant> v;
        for (const auto& e : entries_) v.push_back(member == kKeys ? e.first : e.second);
        result = MakeArray(std::move(v));
        return;
      }
      case kRemove: {
        need(1);
        auto it = index_.find(keyOf(arg(0)));
        if (it == index_.end()) ThrowError(err::ElementNotFound);
        entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(it->second));
        reindex();
        return;
      }
      case kRemoveAll: need(0); entries_.clear(); index_.clear(); return;
      case kCount: need(0); result = Variant(static_cast<int32_t>(entries_.size())); return;
      case kCompareMode:
        if (assign) {
          need(1);
          int32_t mode = ToLong(arg(0));
          if (mode < 0 || !entries_.empty()) ThrowError(err::InvalidCall);  // only while empty
          textCompare_ = mode >= 1;
          compareMode_ = mode;
          return;
        }
        need(0);
        result = Variant(compareMode_);
        return;
      case kKey: {
        if (!assign) ThrowError(err::NoSuchMember);  // Key can only be assigned
        need(2);
        auto it = index_.find(keyOf(arg(0)));
        if (it == index_.end()) ThrowError(err::ElementNotFound);
        std::string k = keyOf(arg(1));
        if (index_.count(k)) ThrowError(err::KeyExists);
        size_t i = it->second;
        index_.erase(it);
        entries_[i].first = arg(1);
        index_[k] = i;
        return;
      }
      default: ThrowError(err::NoSuchMember);
    }
  }

 private:
  // Equal keys give equal texts: numbers by value whatever their subtype, strings exactly or
  // without case (CompareMode 1), objects by identity.
  std::string keyOf(const Variant& v) const {
    if (v.isArray()) ThrowError(err::TypeMismatch);
    std::string k(1, 'n');
    if (v.tag() == Variant::tObject || v.isNothing()) {
      k[0] = 'o';
      k.append(std::to_string(reinterpret_cast<uintptr_t>(v.obj())));
    } else if (v.isString()) {
      ustring t = textCompare_ ? ToLower(v.str()) : v.str();
      k[0] = 's';
      k.append(reinterpret_cast<const char*>(t.data()), t.size() * sizeof(char16_t));
    } else if (v.isEmpty() || v.isNull()) {
      k[0] = v.isEmpty() ? 'e' : 'z';
    } else {
      if (v.tag() == Variant::tDate) k[0] = 'd';
      double d = NumericValue(v);
      if (d == 0) d = 0;  // -0 and 0 are one key
      k.append(reinterpret_cast<const char*>(&d), sizeof d);
    }
    return k;
  }
  void add(const std::string& k, const Variant& key, const Variant& item) {
    index_[k] = entries_.size();
    entries_.emplace_back(key, item);
  }
  void reindex() {
    index_.clear();
    for (size_t i = 0; i < entries_.size(); ++i) index_[keyOf(entries_[i].first)] = i;
  }

  std::vector<std::pair<Variant, Variant>> entries_;
  std::unordered_map<std::string, size_t> index_;
  bool textCompare_ = false;
  int32_t compareMode_ = 0;
};

}  // namespace

Variant NewDictionary() { return Variant(static_cast<Object*>(new Dictionary)); }

}  // namespace lumetrix::vbs
