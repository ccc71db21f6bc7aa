#pragma once
// The words the editor colours and puts into their proper case: VBScript keywords, the
// keywords that open and close blocks, the script object's operations and the built-in
// functions and constants.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumetrix::scripting {

enum class WordGroup { Keyword, ScopeKeyword, ScriptObject, BuiltIn };

// Words of a group in their proper case.
const std::vector<std::string_view>& WordsOf(WordGroup group);

// Lower-case, blank-separated list of a group, as the syntax colouring wants it.
std::string LexerWordList(WordGroup group);

// The proper case of a known word (any case in, e.g. "elseif" -> "ElseIf"); empty if unknown.
std::string_view ProperCase(std::string_view word);

// The group of a known word (any case); nothing if unknown.
std::optional<WordGroup> GroupOf(std::string_view word);

}  // namespace lumetrix::scripting
