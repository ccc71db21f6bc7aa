#include <array>

#include "host_object.h"
#include "interpreter.h"

namespace lumetrix::vbs {

namespace {

// Forwards script calls to a HostObject: arguments by value, ByRef references followed.
class HostWrapper final : public Object {
 public:
  HostWrapper(std::shared_ptr<HostObject> object, std::unordered_map<std::string, int> index, int count)
      : object_(std::move(object)), index_(std::move(index)), count_(count) {}

  std::string typeName() const override { return object_->TypeName(); }

  int findMember(std::string_view lowerName) override {
    auto it = index_.find(std::string(lowerName));
    return it == index_.end() ? kNoMember : it->second;
  }

  void invoke(int member, InvokeKind kind, Variant* args, int nargs, Variant& result) override {
    if (member < 0 || member >= count_) ThrowError(err::NoSuchMember);
    // Small argument lists stay on the stack: animation scripts call hosts in tight loops.
    std::array<Variant, 8> small;
    std::vector<Variant> large;
    Variant* plain = small.data();
    if (nargs > static_cast<int>(small.size())) {
      large.resize(static_cast<size_t>(nargs));
      plain = large.data();
    }
    for (int i = 0; i < nargs; ++i) plain[i] = args[i].deref();
    if (kind == InvokeKind::Let || kind == InvokeKind::Set) {
      if (nargs < 1) ThrowError(err::WrongArgCount);
      object_->Assign(member, std::span<const Variant>(plain, static_cast<size_t>(nargs - 1)), plain[nargs - 1]);
      return;
    }
    Variant r = object_->Invoke(member, std::span<const Variant>(plain, static_cast<size_t>(nargs)));
    result = r.isRef() ? Variant(r.deref()) : std::move(r);
  }

 private:
  std::shared_ptr<HostObject> object_;
  std::unordered_map<std::string, int> index_;
  int count_;
};

}  // namespace

Variant MakeHostWrapper(const HostEntry& entry) {
  return Variant(static_cast<Object*>(
      new HostWrapper(entry.object, entry.memberIndex, static_cast<int>(entry.memberNames.size()))));
}

}  // namespace lumetrix::vbs
