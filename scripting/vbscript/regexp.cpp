// VBScript.RegExp and the Matches, Match and SubMatches objects it returns.
#include "builtin_objects.h"
#include "regexp_engine.h"
#include "text.h"

namespace lumetrix::vbs {

namespace {

void NeedArgs(int nargs, int n) {
  if (nargs != n) ThrowError(err::WrongArgCount);
}

// A read-only collection: Count, Item(i) (the default), For Each.
class ItemList : public Object {
 public:
  ItemList(std::string name, std::vector<Variant> items) : name_(std::move(name)), items_(std::move(items)) {}
  std::string typeName() const override { return name_; }
  int findMember(std::string_view n) override { return FindMemberIn(n, {"count", "item"}); }
  bool enumerate(std::vector<Variant>& out) override {
    out.insert(out.end(), items_.begin(), items_.end());
    return true;
  }
  void invoke(int member, InvokeKind kind, Variant* args, int nargs, Variant& result) override {
    if (kind == InvokeKind::Let || kind == InvokeKind::Set) ThrowError(err::NoSuchMember);
    if (member == kDefaultMember) member = 1;
    if (member == 0) {
      NeedArgs(nargs, 0);
      result = Variant(static_cast<int32_t>(items_.size()));
      return;
    }
    NeedArgs(nargs, 1);
    int32_t i = ToLong(args[0].deref());
    if (i < 0 || static_cast<size_t>(i) >= items_.size()) ThrowError(err::InvalidCall);
    result = items_[static_cast<size_t>(i)];
  }

 private:
  std::string name_;
  std::vector<Variant> items_;
};

class MatchObject final : public Object {
 public:
  explicit MatchObject(RegExpMatch m) : m_(std::move(m)) {}
  std::string typeName() const override { return "IMatch2"; }
  int findMember(std::string_view n) override { return FindMemberIn(n, {"value", "firstindex", "length", "submatches"}); }
  void invoke(int member, InvokeKind kind, Variant* args, int nargs, Variant& result) override {
    if (kind == InvokeKind::Let || kind == InvokeKind::Set) ThrowError(err::NoSuchMember);
    if (member == kDefaultMember) member = 0;
    if (member == 3 && nargs == 1) {  // m.SubMatches(i): the collection's default member
      Variant subs;
      invoke(3, kind, nullptr, 0, subs);
      subs.obj()->invoke(kDefaultMember, kind, args, 1, result);
      return;
    }
    NeedArgs(nargs, 0);
    switch (member) {
      case 0: result = Variant(m_.value); return;
      case 1: result = Variant(static_cast<int32_t>(m_.index)); return;
      case 2: result = Variant(static_cast<int32_t>(m_.length)); return;
      case 3: {
        std::vector<Variant> subs;
        for (size_t i = 0; i < m_.groups.size(); ++i) subs.push_back(m_.groupMatched[i] ? Variant(m_.groups[i]) : Variant());
        result = Variant(static_cast<Object*>(new ItemList("ISubMatches", std::move(subs))));
        return;
      }
      default: ThrowError(err::NoSuchMember);
    }
  }

 private:
  RegExpMatch m_;
};

enum Member { kPattern, kGlobal, kIgnoreCase, kMultiLine, kTest, kReplace, kExecute };

class RegExpObject final : public Object {
 public:
  std::string typeName() const override { return "IRegExp2"; }
  int findMember(std::string_view n) override {
    return FindMemberIn(n, {"pattern", "global", "ignorecase", "multiline", "test", "replace", "execute"});
  }
  void invoke(int member, InvokeKind kind, Variant* args, int nargs, Variant& result) override {
    if (member == kDefaultMember) member = kPattern;
    bool assign = kind == InvokeKind::Let || kind == InvokeKind::Set;
    auto text = [&](int i) { return ToUString(args[i].deref()); };
    switch (member) {
      case kPattern: case kGlobal: case kIgnoreCase: case kMultiLine: {
        bool* flag = member == kGlobal ? &o_.global : member == kIgnoreCase ? &o_.ignoreCase : &o_.multiLine;
        if (assign) {
          NeedArgs(nargs, 1);
          if (member == kPattern) pattern_ = text(0);
          else *flag = ToBool(args[0].deref());
          return;
        }
        NeedArgs(nargs, 0);
        result = member == kPattern ? Variant(pattern_) : Variant(*flag);
        return;
      }
      case kTest: case kExecute: {
        if (assign) ThrowError(err::NoSuchMember);
        NeedArgs(nargs, 1);
        RegExpOptions o = o_;
        if (member == kTest) o.global = false;
        std::vector<RegExpMatch> found = RegExpFind(pattern_, o, text(0));
        if (member == kTest) {
          result = Variant(!found.empty());
          return;
        }
        std::vector<Variant> items;
        for (RegExpMatch& m : found) items.push_back(Variant(static_cast<Object*>(new MatchObject(std::move(m)))));
        result = Variant(static_cast<Object*>(new ItemList("IMatchCollection2", std::move(items))));
        return;
      }
      case kReplace:
        if (assign) ThrowError(err::NoSuchMember);
        NeedArgs(nargs, 2);
        result = Variant(RegExpReplace(pattern_, o_, text(0), text(1)));
        return;
      default: ThrowError(err::NoSuchMember);
    }
  }

 private:
  ustring pattern_;
  RegExpOptions o_;
};

}  // namespace

Variant NewRegExp() { return Variant(static_cast<Object*>(new RegExpObject)); }

}  // namespace lumetrix::vbs
