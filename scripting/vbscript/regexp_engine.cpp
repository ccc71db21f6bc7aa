#include "regexp_engine.h"

#include <pthread.h>

#include <algorithm>
#include <exception>
#include <functional>
#include <iterator>
#include <regex>

#include "errors.h"

namespace lumetrix::vbs {

namespace {

constexpr uint64_t kMaxSteps = 5'000'000;
constexpr size_t kWorkerStack = size_t(512) << 20;  // reserved, committed only as deep as used

struct StepLimitReached {};
thread_local uint64_t t_steps = 0;

// A subject iterator that counts every character the matcher looks at.
class CountingIterator {
 public:
  using iterator_category = std::bidirectional_iterator_tag;
  using value_type = wchar_t;
  using difference_type = std::ptrdiff_t;
  using pointer = const wchar_t*;
  using reference = const wchar_t&;
  CountingIterator() = default;
  explicit CountingIterator(const wchar_t* p) : p_(p) {}
  CountingIterator(const CountingIterator&) = default;
  // Assignments count as well: entering and leaving a group stores a position and reads
  // nothing, so a pattern of many groups would otherwise work unseen.
  CountingIterator& operator=(const CountingIterator& o) {
    Step();
    p_ = o.p_;
    return *this;
  }
  reference operator*() const {
    Step();
    return *p_;
  }
  CountingIterator& operator++() { ++p_; return *this; }
  CountingIterator operator++(int) { CountingIterator t = *this; ++p_; return t; }
  CountingIterator& operator--() { --p_; return *this; }
  CountingIterator operator--(int) { CountingIterator t = *this; --p_; return t; }
  // Comparisons count too: at the end of the text the matcher compares without reading.
  bool operator==(const CountingIterator& o) const {
    Step();
    return p_ == o.p_;
  }
  bool operator!=(const CountingIterator& o) const { return !(*this == o); }
  const wchar_t* get() const { return p_; }

 private:
  static void Step() {
    if (++t_steps > kMaxSteps) throw StepLimitReached{};
  }
  const wchar_t* p_ = nullptr;
};

// One wchar_t per UTF-16 unit, so positions stay VBScript's.
std::wstring Widen(const ustring& s) { return std::wstring(s.begin(), s.end()); }
ustring Narrow(const wchar_t* b, const wchar_t* e) {
  ustring r;
  r.reserve(static_cast<size_t>(e - b));
  for (; b != e; ++b) r.push_back(static_cast<char16_t>(*b));
  return r;
}

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// VBScript (JScript) accepts what ECMAScript's strict grammar in std::regex refuses: a `{` that
// starts no quantifier, stray `}` and `]`, `[` inside a class, and `\` before an ordinary
// letter. Those become literal characters. A quantifier on a quantifier (`a**`, `a+{2}`) is
// refused as VBScript does; std::regex would nest the loops and backtrack exponentially.
std::wstring Translate(const std::wstring& p) {
  std::wstring out;
  bool inClass = false;
  enum { kOther, kQuantified, kLazy } last = kOther;  // what the previous token was
  for (size_t i = 0; i < p.size(); ++i) {
    wchar_t c = p[i];
    if (!inClass && (c == L'*' || c == L'+' || c == L'?')) {
      if (c == L'?' && last == kQuantified) last = kLazy;
      else if (last != kOther) throw ScriptError(5018);
      else last = kQuantified;
      out.push_back(c);
      continue;
    }
    bool wasQuantifier = last != kOther;
    last = kOther;
    if (c == L'\\') {
      if (i + 1 >= p.size()) throw ScriptError(err::RegExpSyntax);
      wchar_t n = p[++i];
      // A back-reference or octal escape has at most three digits; std::regex overflows on
      // longer runs.
      if (IsDigit(n) && i + 3 < p.size() && IsDigit(p[i + 1]) && IsDigit(p[i + 2]) && IsDigit(p[i + 3]))
        throw ScriptError(err::RegExpSyntax);
      static const std::wstring known = L"dDwWsSbBnrtfvcxu0123456789";
      bool letter = (n >= L'a' && n <= L'z') || (n >= L'A' && n <= L'Z');
      if (letter && known.find(n) == std::wstring::npos) out.push_back(n);
      else if (inClass && n == L'b') out += L"\\x08";  // [\b] is backspace
      else out += {L'\\', n};
      continue;
    }
    if (inClass) {
      if (c == L'[') out += L"\\[";
      else out.push_back(c);
      if (c == L']') inClass = false;
      continue;
    }
    if (c == L'[') {
      inClass = true;
      out.push_back(c);
      if (i + 1 < p.size() && p[i + 1] == L'^') out.push_back(p[++i]);
      if (i + 1 < p.size() && p[i + 1] == L']') {  // `[]...` and `[^]...`: a literal ] first
        out += L"\\]";
        ++i;
      }
      continue;
    }
    if (c == L'{') {
      size_t j = i + 1;
      while (j < p.size() && IsDigit(p[j])) ++j;
      bool quantifier = j > i + 1;
      if (quantifier && j < p.size() && p[j] == L',') {
        ++j;
        while (j < p.size() && IsDigit(p[j])) ++j;
      }
      quantifier = quantifier && j < p.size() && p[j] == L'}';
      // Counts of over nine digits overflow std::regex's arithmetic; `{3,2}` is out of order,
      // which std::regex finds only after copying the atom three times.
      if (quantifier) {
        long counts[2] = {0, -1};
        for (size_t k = i + 1, n = 0, digits = 0; k < j; ++k) {
          if (!IsDigit(p[k])) {
            n = 1, digits = 0;
            continue;
          }
          if (++digits > 9) throw ScriptError(err::RegExpSyntax);
          counts[n] = std::max(counts[n], 0L) * 10 + (p[k] - L'0');
        }
        if (counts[1] >= 0 && counts[1] < counts[0]) throw ScriptError(err::RegExpSyntax);
      }
      if (!quantifier) {
        out += L"\\{";
        continue;
      }
      if (wasQuantifier) throw ScriptError(5018);
      last = kQuantified;
      out.append(p, i, j - i + 1);
      i = j;
      continue;
    }
    if (c == L'}' || c == L']') {
      out += {L'\\', c};
      continue;
    }
    out.push_back(c);
  }
  if (inClass) throw ScriptError(5019);
  return out;
}

// Runs `work` on a thread with a large stack; its exception comes back here.
void RunWithLargeStack(const std::function<void()>& work) {
  struct Job {
    const std::function<void()>* work;
    std::exception_ptr error;
  } job{&work, nullptr};
  auto entry = [](void* p) -> void* {
    auto* j = static_cast<Job*>(p);
    t_steps = 0;
    try {
      (*j->work)();
    } catch (...) {
      j->error = std::current_exception();
    }
    return nullptr;
  };
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, kWorkerStack);
  pthread_t thread;
  int rc = pthread_create(&thread, &attr, entry, &job);
  pthread_attr_destroy(&attr);
  if (rc != 0) throw ScriptError(err::OutOfMemory);
  pthread_join(thread, nullptr);
  if (job.error) std::rethrow_exception(job.error);
}

std::wregex Compile(const ustring& pattern, const RegExpOptions& o) {
  if (pattern.size() > kMaxRegExpPattern) throw ScriptError(err::InvalidCall);
  auto flags = std::regex::ECMAScript;
  if (o.ignoreCase) flags |= std::regex::icase;
  if (o.multiLine) flags |= std::regex::multiline;
  try {
    return std::wregex(Translate(Widen(pattern)), flags);
  } catch (const std::regex_error& e) {
    switch (e.code()) {
      case std::regex_constants::error_paren: throw ScriptError(5020);
      case std::regex_constants::error_brack: throw ScriptError(5019);
      case std::regex_constants::error_badrepeat: throw ScriptError(5018);
      default: throw ScriptError(err::RegExpSyntax);
    }
  }
}

// Compiles and matches on the worker thread; errors become script errors.
void Guarded(const ustring& pattern, const ustring& subject, const std::function<void()>& work) {
  if (subject.size() > kMaxRegExpSubject || pattern.size() > kMaxRegExpPattern) throw ScriptError(err::InvalidCall);
  try {
    RunWithLargeStack(work);
  } catch (const StepLimitReached&) {
    throw ScriptError(err::InvalidCall, "Regular expression too complex for its text");
  } catch (const std::regex_error&) {
    throw ScriptError(err::InvalidCall, "Regular expression too complex for its text");
  } catch (const std::bad_alloc&) {
    throw ScriptError(err::OutOfMemory);
  }
}

using Iterator = std::regex_iterator<CountingIterator, wchar_t>;

}  // namespace

std::vector<RegExpMatch> RegExpFind(const ustring& pattern, const RegExpOptions& options, const ustring& subject) {
  std::vector<RegExpMatch> found;
  std::wstring s = Widen(subject);
  Guarded(pattern, subject, [&] {
    std::wregex re = Compile(pattern, options);
    CountingIterator b(s.data()), e(s.data() + s.size());
    for (Iterator it(b, e, re), end; it != end; ++it) {
      const auto& m = *it;
      RegExpMatch r;
      r.index = static_cast<size_t>(m[0].first.get() - s.data());
      r.length = static_cast<size_t>(m[0].second.get() - m[0].first.get());
      r.value = Narrow(m[0].first.get(), m[0].second.get());
      for (size_t g = 1; g < m.size(); ++g) {
        r.groupMatched.push_back(m[g].matched);
        r.groups.push_back(m[g].matched ? Narrow(m[g].first.get(), m[g].second.get()) : ustring());
      }
      found.push_back(std::move(r));
      if (!options.global) break;
    }
  });
  return found;
}

ustring RegExpReplace(const ustring& pattern, const RegExpOptions& options, const ustring& subject,
                      const ustring& replacement) {
  std::vector<RegExpMatch> matches = RegExpFind(pattern, options, subject);
  ustring out;
  size_t pos = 0;
  for (const RegExpMatch& m : matches) {
    out.append(subject, pos, m.index - pos);
    for (size_t i = 0; i < replacement.size(); ++i) {
      char16_t c = replacement[i];
      char16_t n = i + 1 < replacement.size() ? replacement[i + 1] : 0;
      if (c != u'$' || !n) {
        out.push_back(c);
        continue;
      }
      if (n == u'$') out.push_back(u'$');
      else if (n == u'&') out += m.value;
      else if (n == u'`') out.append(subject, 0, m.index);
      else if (n == u'\'') out.append(subject, m.index + m.length, ustring::npos);
      else if (n >= u'1' && n <= u'9' && static_cast<size_t>(n - u'0') <= m.groups.size()) out += m.groups[n - u'1'];
      else {
        out.push_back(c);  // not a substitution: the `$` stays
        continue;
      }
      ++i;
    }
    pos = m.index + m.length;
  }
  out.append(subject, pos, ustring::npos);
  if (out.size() > (size_t(1) << 27)) throw ScriptError(err::OutOfMemory);
  return out;
}

}  // namespace lumetrix::vbs
