#pragma once
// Object: what a Variant of subtype Object refers to (host objects, script class instances,
// the Err object). Members are found by lower-case name once and then invoked by number.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "variant.h"

namespace lumetrix::vbs {

enum class InvokeKind : uint8_t { Method, Get, Let, Set };

class Object {
 public:
  static constexpr int kNoMember = -1;
  static constexpr int kDefaultMember = -2;  // the value of the object itself (`x = obj`)
  virtual ~Object() = default;
  Object() = default;
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  void addRef() noexcept { ++rc_; }
  void release() noexcept {
    if (--rc_ == 0) lastRelease();
  }
  uint32_t useCount() const noexcept { return rc_; }

  virtual std::string typeName() const = 0;
  // Member number for a lower-case name, or kNoMember.
  virtual int findMember(std::string_view lowerName) = 0;
  // Calls a member. Arguments may be ByRef references (Variant::isRef); `result` starts Empty.
  // Failures are thrown as ScriptError.
  virtual void invoke(int member, InvokeKind kind, Variant* args, int nargs, Variant& result) = 0;
  // For Each support: fills `items` with the collection's elements; false if not a collection.
  virtual bool enumerate(std::vector<Variant>& /*items*/) { return false; }

 protected:
  virtual void lastRelease() { delete this; }

 private:
  uint32_t rc_ = 0;
};

// The value of an object used where a plain value is needed (its default member).
Variant DefaultValue(const Variant& v);

}  // namespace lumetrix::vbs
